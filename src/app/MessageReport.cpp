#include "MessageReport.h"

namespace {
MessageReport *g_report = nullptr;
}

MessageReport *messageReport() { return g_report; }
void setMessageReport(MessageReport *report) { g_report = report; }
