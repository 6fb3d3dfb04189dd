#pragma once

// Why an FTP operation failed, in the terms an operator acts on, from libcurl's result and
// the server's last reply.
namespace FtpFailure {

enum class Kind {
    LoginRefused,   // user or password refused (530)
    HostNotFound,   // the host name is unknown
    NoServer,       // nothing accepts connections at the address and port
    TimedOut,       // no answer, or no data, within the time limit
    ConnectionLost, // the connection broke off or the server closed it
    Refused,        // the server refused a request (a 4xx or 5xx reply)
    Other,
};

// curlCode: a CURLcode; replyCode: the server's last reply code (0 when there was none);
// stalled: a data connection carried nothing for the stall time.
Kind classify(int curlCode, int replyCode, bool stalled = false);

// The three-digit code at the start of a reply line, 0 when it has none.
int replyCode(const char *line, int length);

} // namespace FtpFailure
