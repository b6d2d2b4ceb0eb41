#include "publish/HTTPFormClient.h"
#include "publish/HTTPFormEncoding.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(HTTPFormEncoding, HexDigitsAreUpperCaseOnly)
{
    char pair[3] = {'x', 'x', 'x'};
    ByteToHex(0x0A, pair);
    EXPECT_STREQ(pair, "0A");
    ByteToHex(0xFF, pair);
    EXPECT_STREQ(pair, "FF");

    struct Case
    {
        const char* text;
        bool ok;
        unsigned char byte;
    };
    const Case cases[] = {
        {"0A", true, 0x0A}, {"FF", true, 0xFF}, {"00", true, 0x00}, {"9C", true, 0x9C},
        {"0a", false, 0},   {"fF", false, 0},   {"G0", false, 0},   {" 1", false, 0},
    };
    for (const Case& c : cases) {
        unsigned char byte = 0x55;
        EXPECT_EQ(HexToByte(c.text, byte), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(byte, c.byte) << c.text;
        }
    }

    const unsigned char bytes[] = {0x00, 0x7F, 0xC4, 0xFF};
    std::string hex = "stale";
    BytesToHex(bytes, sizeof bytes, hex);
    EXPECT_EQ(hex, "007FC4FF");
    unsigned char back[4] = {};
    ASSERT_TRUE(HexToBytes(hex, back, 4));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(back), 4),
              std::string(reinterpret_cast<const char*>(bytes), 4));
    EXPECT_FALSE(HexToBytes("007fC4FF", back, 4)); // lower-case pair
    EXPECT_FALSE(HexToBytes("007F", back, 4));     // too short: never read past it
}

TEST(HTTPFormEncoding, UrlEncodeFormKeepsItsSafeSetOnly)
{
    struct Case
    {
        std::string text;
        std::string encoded;
    };
    const Case cases[] = {
        {"a b", "a+b"},
        {"~/:", "%7E%2F%3A"},
        {"\xC4", "%C4"},
        {"azAZ09*-.@_", "azAZ09*-.@_"},
        {"a+b&c=d%", "a%2Bb%26c%3Dd%25"},
        {std::string("\0\t\r\n", 4), "%00%09%0D%0A"},
        {"\xCE\xD2\xB5\xC4", "%CE%D2%B5%C4"},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(UrlEncodeForm(c.text), c.encoded) << c.text;
}

TEST(HTTPFormEncoding, BoundaryIsThirtyDashesAndTwelveLowerHexDigits)
{
    const std::string boundary = CHTTPFormClient().MakeBoundary();
    ASSERT_EQ(boundary.size(), 42u);
    EXPECT_EQ(boundary.substr(0, 30), std::string(30, '-'));
    EXPECT_EQ(boundary.find_first_not_of("0123456789abcdef", 30), std::string::npos);
}

} // namespace
