#include "report/designer/gui/designer_texts.h"

#include "report/output/output_texts.h"
#include "report/page/resource_manager.h"

namespace report {

void DeclareDesignerTexts() {
    static const bool declared = [] {
        DeclareOutputTexts();
        DeclareTexts({
            {120, "&Edit"},
            {152, "&Inches"},
            {153, "&Millimeters"},
            {161, "Bring to Front"},
            {177, "Send to Back"},
            {185, "Design"},
            {186, "Preview"},
            {225, "&Hide"},
            {226, "AutoSize"},
            {227, "BlankWhenZero"},
            {230, "DisplayFormat..."},
            {232, "DynamicHeight"},
            {238, "ReprintOnOverFlow"},
            {239, "ReprintOnSubsequent"},
            {240, "ShiftWithParent"},
            {242, "StaticHeight"},
            {245, "SuppressRepeatedValues"},
            {246, "Transparent"},
            {247, "Visible"},
            {248, "WordWrap"},
            {374, "Main"},
            {386, "Position..."},
            {387, "&Screen Pixels"},
            {388, "&Printer Pixels"},
            {389, "&Thousandths of MM"},
            {502, "MailMerge"},
            {685, "[Read Only]"},
            {693, "&Calc Order..."},
            {1118, "Page Setting..."},
            {1132, "ResetGroup..."},
        });
        return true;
    }();
    (void)declared;
}

}  // namespace report
