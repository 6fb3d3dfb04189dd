#include "FtpFailure.h"

#include <curl/curl.h>

namespace FtpFailure {

Kind classify(int curlCode, int replyCode, bool stalled)
{
    const auto code = CURLcode(curlCode);
    if (code == CURLE_OK)
        return Kind::Other;
    // 530 "Not logged in" answers a wrong password, and any command of a session the
    // server no longer accepts.
    if (code == CURLE_LOGIN_DENIED || replyCode == 530)
        return Kind::LoginRefused;
    if (stalled)
        return Kind::TimedOut;
    switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
        return Kind::HostNotFound;
    case CURLE_COULDNT_CONNECT:
        return Kind::NoServer;
    case CURLE_OPERATION_TIMEDOUT:
    case CURLE_FTP_ACCEPT_TIMEOUT:
        return Kind::TimedOut;
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_GOT_NOTHING:
    case CURLE_PARTIAL_FILE:
        return Kind::ConnectionLost;
    default:
        break;
    }
    // 421: the server is closing the control connection (shutting down, too many users).
    if (replyCode == 421)
        return Kind::ConnectionLost;
    if (replyCode >= 400 && replyCode < 600)
        return Kind::Refused;
    return Kind::Other;
}

int replyCode(const char *line, int length)
{
    if (length < 3)
        return 0;
    int code = 0;
    for (int i = 0; i < 3; ++i) {
        if (line[i] < '0' || line[i] > '9')
            return 0;
        code = code * 10 + (line[i] - '0');
    }
    if (length > 3 && line[3] != ' ' && line[3] != '-' && line[3] != '\r' && line[3] != '\n')
        return 0;
    return code < 100 ? 0 : code;
}

} // namespace FtpFailure
