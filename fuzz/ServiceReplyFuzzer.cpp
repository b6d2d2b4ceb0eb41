// The service's reply classifiers on any reply bytes and charset, as the
// form client hands them over after a send, and the client's reading of the
// charset from a reply's Content-Type.
#include "fuzz/FuzzInput.h"
#include "publish/HTTPFormClient.h"
#include "publish/ServiceProtocol.h"

#include <cstdio>
#include <cstdlib>
#include <string>

using FuzzInput::Check;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    FuzzInput::KeepConvertersLoaded();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    // First byte: whether the send succeeded and where the charset comes from:
    // the charset the client found, or the Content-Type it found it in, ends
    // at the first NUL.
    const uint8_t control = data[0];
    const bool sent = (control & 1) != 0;
    std::string rest(reinterpret_cast<const char*>(data + 1), size - 1);
    std::string charset;
    switch ((control >> 1) & 3) {
    case 0:
        charset = "utf-8";
        break;
    case 1:
        charset = "gbk";
        break;
    case 2: {
        const size_t end = rest.find('\0');
        charset = rest.substr(0, end);
        rest.erase(0, end == std::string::npos ? rest.size() : end + 1);
        break;
    }
    default: {
        const size_t end = rest.find('\0');
        const std::string contentType = rest.substr(0, end);
        rest.erase(0, end == std::string::npos ? rest.size() : end + 1);
        charset = CHTTPFormClient::ContentTypeCharset(contentType);
        Check(charset.size() <= contentType.size(), "the charset comes from the header");
        for (const char c : charset)
            Check(c < 'A' || c > 'Z', "the charset is lower-cased");
        if (charset.empty())
            charset = "utf-8";
        break;
    }
    }
    const std::string& reply = rest;

    const LoginOutcome login = ClassifyLoginReply(sent, reply, charset);
    Check(!login.loggedIn || sent, "no login without a send");
    (void)ValCodeReplyMessage(sent, reply, charset);
    const FeeDecision fee = ClassifyFeeReply(sent, reply, charset);
    Check(sent || fee.kind == FeeDecision::Kind::Stop, "no upload without a send");
    if (fee.kind == FeeDecision::Kind::OfferMonthPlan) {
        const MonthOrderStep step = DecideMonthOrder((control & 8) != 0, (control & 16) != 0,
                                                     fee.tokens[3]);
        Check(!(step.postAnswer && step.goOn), "one next step");
    }
    const MonthOrderOutcome month = ClassifyMonthOrderReply(sent, reply, charset);
    Check(!month.goOn || sent, "no month order without a send");
    (void)UploadReplyMessage(sent, reply);
    Check(!LoginLostMessage(reply, charset).isEmpty(), "a lost login is always told");
    (void)SplitMonthOption(ServiceReplyText(reply, charset));
    return 0;
}
