#include "diag/LoadReport.h"

#include "diag/CDiagnostics.h"
#include "platform/CMessageBox.h"

void TellLoadReport(const LoadReport& report) {
    for (const LoadReportEntry& entry : report) {
        if (entry.boxOnly) {
            CMessageBox::Show(entry.text);
        } else if (entry.endsViewing) {
            FatalError(entry.text);
        } else {
            ReportError(entry.text);
        }
    }
}
