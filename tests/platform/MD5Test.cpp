#include "platform/MD5.h"

#include "tests/support/TestEnvironment.h"

#include <QFile>
#include <QProcess>
#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace {

std::string Hex(const unsigned char* digest)
{
    static const char kDigits[] = "0123456789abcdef";
    std::string out;
    for (int i = 0; i < CMD5::kDigestSize; ++i) {
        out += kDigits[digest[i] >> 4];
        out += kDigits[digest[i] & 15];
    }
    return out;
}

// The digest of data fed in pieces of step bytes (all at once for 0).
std::string Digest(const QByteArray& data, int step = 0)
{
    CMD5 md5;
    if (step == 0) {
        md5.AddData(data.constData(), int32_t(data.size()));
    } else {
        md5.AddData(data.constData(), 0);
        for (qsizetype at = 0; at < data.size(); at += step)
            md5.AddData(data.constData() + at, int32_t(std::min<qsizetype>(step, data.size() - at)));
    }
    unsigned char digest[CMD5::kDigestSize];
    md5.FinalDigest(digest);
    return Hex(digest);
}

std::string Md5sum(const QString& path)
{
    QProcess process;
    process.start("md5sum", {path});
    process.waitForFinished(30000);
    return process.readAllStandardOutput().left(32).toStdString();
}

std::string ErrorText(const std::function<void()>& call)
{
    try {
        call();
    } catch (const std::runtime_error& error) {
        return error.what();
    }
    return "<no throw>";
}

} // namespace

TEST(MD5Test, Rfc1321TestSuite)
{
    const struct
    {
        const char* message;
        const char* digest;
    } cases[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
         "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"1234567890123456789012345678901234567890"
         "1234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Digest(QByteArray(c.message)), c.digest) << '"' << c.message << '"';
}

// Random files across the block boundaries equal md5sum, fed at once and in
// pieces that straddle the 64-byte block in every way.
TEST(MD5Test, RandomFilesEqualMd5sumWholeAndInPieces)
{
    for (const qsizetype size : {0, 1, 63, 64, 65, 4096, 1048576}) {
        QByteArray data(size, Qt::Uninitialized);
        QRandomGenerator generator(uint32_t(size) + 7);
        for (char& byte : data)
            byte = char(generator.bounded(256));
        const QString path = TestEnvironment::Home() + QStringLiteral("/random.bin");
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(file.write(data), size);
        file.close();
        const std::string expected = Md5sum(path);
        ASSERT_EQ(expected.size(), 32u);
        for (const int step : {0, 1, 63, 64})
            EXPECT_EQ(Digest(data, step), expected) << size << " bytes in pieces of " << step;
    }
}

TEST(MD5Test, MisuseThrowsWithoutChangingTheMessage)
{
    CMD5 md5;
    unsigned char digest[CMD5::kDigestSize];
    EXPECT_EQ(ErrorText([&] { md5.FinalDigest(digest); }),
              "FileDigest ERROR: in CMD5::FinalDigest(), No data Added before call!");

    md5.AddData("ab", 2);
    EXPECT_EQ(ErrorText([&] { md5.AddData("zz", -1); }),
              "FileDigest ERROR: in CMD5::AddData(), Data Length should be >= 0!");
    md5.AddData("c", 1);
    md5.FinalDigest(digest);
    EXPECT_EQ(Hex(digest), "900150983cd24fb0d6963f7d28e17f72");

    // The first digest reset the object.
    EXPECT_EQ(ErrorText([&] { md5.FinalDigest(digest); }),
              "FileDigest ERROR: in CMD5::FinalDigest(), No data Added before call!");
    md5.AddData(nullptr, 0);
    md5.FinalDigest(digest);
    EXPECT_EQ(Hex(digest), "d41d8cd98f00b204e9800998ecf8427e");
}
