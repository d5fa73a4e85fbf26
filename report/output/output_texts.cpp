#include "report/output/output_texts.h"

#include "report/page/report_texts.h"
#include "report/page/resource_manager.h"

namespace report {

void DeclareOutputTexts() {
    static const bool declared = [] {
        DeclareFoundationTexts();
        DeclareTexts({
            {2, "Accessing data..."},
            {1, "100 %"},
            {3, "All"},
            {6, "Close"},
            {7, "Copies"},
            {8, "There are no printers connected to your computer."},
            {9, "Current Page"},
            {11, "Enter page numbers and/or page ranges separated by commas.  For example, 1,3,5-12."},
            {13, "First Page"},
            {14, "Last Page"},
            {15, "Next Page"},
            {17, "OK"},
            {19, "Page Range"},
            {20, "Pages"},
            {22, "Print"},
            {23, "Print Preview"},
            {25, "Printer"},
            {26, "Print to File"},
            {29, "Prior Page"},
            {30, "Whole Page"},
            {31, "Page Width"},
            {32, "No pages entered."},
            {33, "Please specify file name before continuing."},
            {54, "Show all data where the"},
            {55, "and the"},
            {56, "is not a valid date."},
            {57, "is not a valid time."},
            {58, "is not a valid datetime."},
            {59, "is not a valid number."},
            {60, "Value must be either True or False."},
            {61, "Search value must be entered."},
            {62, "and"},
            {63, "Add to list"},
            {64, "Remove from list"},
            {65, "Search"},
            {66, "indicates that this search value must be entered."},
            {1033, "Show all values of the <name> field."},
            {459, "Windows cannot print due to a problem with the current printer setup."},
            {1010, "&Name"},
            {1011, "Type"},
            {1012, "Where"},
            {1013, "&Properties"},
            {1014, "Number of &copies"},
            {1015, "Colla&te"},
            {1016, "P&rint"},
            {1017, "All pages in range"},
            {1018, "Odd pages"},
            {1019, "Even pages"},
            {1021, "Auto Search"},
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
