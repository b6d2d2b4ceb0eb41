// The transform against numpy's on random vectors, both directions, and the
// sizes it refuses.
#include "voice/Fft.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

// The transform as numpy computes it: ours has the exponent's other sign, so
// its forward is n x numpy's ifft and its inverse numpy's fft / n.
// Interleaved re, im in and out.
std::vector<double> NumpyFft(const std::vector<double>& re, const std::vector<double>& im,
                             bool inverse)
{
    static const char kScript[] =
        "import sys, numpy as np\n"
        "v = np.array(sys.stdin.read().split(), dtype=float)\n"
        "x = v[0::2] + 1j * v[1::2]\n"
        "n = len(x)\n"
        "y = np.fft.fft(x) / n if sys.argv[1] == 'i' else np.fft.ifft(x) * n\n"
        "print(' '.join('%.17g %.17g' % (c.real, c.imag) for c in y))\n";
    QByteArray input;
    for (size_t i = 0; i < re.size(); ++i)
        input +=
            QByteArray::number(re[i], 'g', 17) + ' ' + QByteArray::number(im[i], 'g', 17) + ' ';
    // numpy comes from Debian's package: its interpreter first, whatever PATH says.
    QString interpreter = QStringLiteral("/usr/bin/python3");
    if (!QFileInfo(interpreter).isExecutable())
        interpreter = QStandardPaths::findExecutable("python3");
    QProcess python;
    python.start(interpreter, {"-c", QString::fromLatin1(kScript), inverse ? "i" : "f"});
    python.write(input);
    python.closeWriteChannel();
    std::vector<double> out;
    if (!python.waitForFinished(30000) || python.exitCode() != 0)
        return out;
    for (const QByteArray& field : python.readAllStandardOutput().simplified().split(' '))
        out.push_back(field.toDouble());
    return out;
}

TEST(Fft, MatchesNumpyOnRandomVectors)
{
    std::mt19937 random(22);
    std::uniform_real_distribution<double> sample(-32768, 32767);
    for (const unsigned n : {2u, 8u, 64u, 1024u}) {
        for (const bool inverse : {false, true}) {
            SCOPED_TRACE(testing::Message() << n << (inverse ? " inverse" : " forward"));
            std::vector<double> re(n), im(n), outRe(n), outIm(n);
            for (unsigned i = 0; i < n; ++i) {
                re[i] = sample(random);
                im[i] = inverse ? sample(random) : 0.0;
            }
            ASSERT_TRUE(FFT(n, inverse, re.data(), inverse ? im.data() : nullptr, outRe.data(),
                            outIm.data()));
            const std::vector<double> expected = NumpyFft(re, im, inverse);
            ASSERT_EQ(expected.size(), 2 * n) << "python3 with numpy is needed";
            // Scale of the largest output, for a tolerance that follows it.
            double scale = 0;
            for (const double v : expected)
                scale = std::max(scale, std::fabs(v));
            for (unsigned k = 0; k < n; ++k) {
                EXPECT_NEAR(outRe[k], expected[2 * k], scale * 1e-9) << "bin " << k;
                EXPECT_NEAR(outIm[k], expected[2 * k + 1], scale * 1e-9) << "bin " << k;
            }
        }
    }
}

TEST(Fft, RefusesSizesAndMissingArrays)
{
    std::vector<double> in(8, 1.0), re(8, 7.0), im(8, 7.0);
    for (const unsigned n : {0u, 1u, 3u, 6u})
        EXPECT_FALSE(FFT(n, false, in.data(), nullptr, re.data(), im.data())) << n;
    EXPECT_FALSE(FFT(8, false, nullptr, nullptr, re.data(), im.data()));
    EXPECT_FALSE(FFT(8, false, in.data(), nullptr, nullptr, im.data()));
    EXPECT_FALSE(FFT(8, false, in.data(), nullptr, re.data(), nullptr));
    EXPECT_EQ(re[0], 7.0); // nothing written
}

} // namespace
