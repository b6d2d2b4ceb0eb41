#include "publish/DownloadLink.h"

#include <gtest/gtest.h>

namespace {

TEST(DownloadLink, TheGrammarGivesAddressAndPlainName)
{
    struct Case
    {
        const char* link;
        bool valid;
        const char* url;
        const char* name;
    };
    const Case cases[] = {
        // The stand-in's song list link.
        {"http://down=http//127.0.0.1:8080/zuvo/pub/material.me?id=1&name="
         "%E5%8D%88%E5%90%8E%E5%B0%8F%E8%B0%83",
         true, "http://127.0.0.1:8080/zuvo/pub/material.me?id=1", "午后小调"},
        {"http://down=http://h/a/b/song.wav", true, "http://h/a/b/song.wav", "song.wav"},
        {"http://down=h/x&y", true, "h/x", "h_x&y"}, // no '=': the whole link, made plain
        {"http://down=https://h/m?id=2&name=a", true, "https://h/m?id=2", "a"},
        {"http://down=HTTPS://h/m&name=a", true, "HTTPS://h/m", "a"},
        {"http://down=h:8080/m&name=a", true, "h:8080/m", "a"},
        {"http://down=h/m&name=../../evil", true, "h/m", "evil"},
        {"http://down=h/m&name=a%2Fb", true, "h/m", "a_b"},
        {"http://down=h/m&name=a\\b", true, "h/m", "a_b"},
        {"http://down=h/m&name=a%22b%0D%0A%01c", true, "h/m", "abc"},
        {"http://down=h/m&name=.hidden", true, "h/m", "hidden"},
        {"http://down=h/m&name=a%ZZ", true, "h/m", "a%ZZ"},
        {"http://down=h/m&name=%FF", true, "h/m", "?"},
        {"http://down=h/m&name=", true, "h/m", ""},
        {"http://down=h/m&name=..", true, "h/m", ""},
        {"http://down=h/dir/", true, "h/dir/", ""},
        {"http://down=file:///etc/passwd", false, "", ""},
        {"http://down=ftp://h/x&name=a", false, "", ""},
        {"http://down=javascript:alert(1)&name=a", false, "", ""},
        {"http://down=", false, "", ""},
        {"http://h/song.wav", false, "", ""},
        {"HTTP://DOWN=h/a", false, "", ""},
    };
    for (const Case& c : cases) {
        const DownloadLink link = DownloadLink::Parse(QString::fromUtf8(c.link));
        EXPECT_EQ(link.valid, c.valid) << c.link;
        if (!c.valid)
            continue;
        EXPECT_EQ(link.url, c.url) << c.link;
        EXPECT_EQ(link.name, QString::fromUtf8(c.name)) << c.link;
    }
}

} // namespace
