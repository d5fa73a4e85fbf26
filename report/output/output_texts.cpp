#include "report/output/output_texts.h"

#include "report/page/report_texts.h"
#include "report/page/resource_manager.h"

namespace report {

void DeclareOutputTexts() {
    static const bool declared = [] {
        DeclareFoundationTexts();
        DeclareTexts({
            {2, "Accessing data..."},
            {4, "Calculating page <page> for report <documentname>"},
            {5, "Cancel"},
            {10, "Drawing page <page> of <pagecount> for report <documentname>"},
            {12, "Report Emulation Text File"},
            {24, "Printing"},
            {27, "Printing page <page> for report <documentname> on the <printername>"},
            {34, "Archive File"},
            {37, "Text File"},
            {1020, "Windows cannot print due to a problem with the current printer setup."},
        });
        return true;
    }();
    (void)declared;
}

}  // namespace report
