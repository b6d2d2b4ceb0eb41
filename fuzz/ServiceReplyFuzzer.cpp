// The service's reply classifiers on any reply bytes and charset, as the
// form client hands them over after a send.
#include "fuzz/FuzzInput.h"
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
    // First byte: whether the send succeeded and where the charset comes from;
    // the charset the client found in the reply's header ends at the first NUL.
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
    default:
        break;
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
    (void)SplitMonthOption(ServiceReplyText(reply, charset));
    return 0;
}
