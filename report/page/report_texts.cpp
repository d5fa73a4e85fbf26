#include "report/page/report_texts.h"

#include "report/page/resource_manager.h"

namespace report {

void DeclareFoundationTexts() {
    static const bool declared = [] {
        DeclareTexts({
            {16, "of"},
            {18, "Page"},
            {28, "Printing page <page> of <pagecount> for report <documentname> on the <printername>"},
            {40, "Could not open DataSet"},
            {42, "Unable to convert position for column <columnno>."},
            {43, "Unable to find position for column <columnno>."},
            {44, "Band height cannot exceed page height."},
            {45, "Record not found:"},
            {46, "File not found:"},
            {47, "Error reading template from database."},
            {49, "Invalid Template Format"},
            {51, "File is read-only."},
            {53, "Cannot store a template to a field of this type."},
            {67, "Unable to open file: <filename>."},
            {284, "Not enough disk space to print report."},
            {290, "Invalid Image."},
            {342, "Cyclic assignment of ShiftRelativeTo property."},
            {415, "PrintPosition exceeds available page space"},
            {925, "Could not compile program: <name>"},
            {926, "Could not run program: <name>"},
            {1023, "Cannot generate report."},
        });
        return true;
    }();
    (void)declared;
}

}  // namespace report
