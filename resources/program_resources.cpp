// The string table: the file-dialog filters, one per entry.
#include "resources/program_resources.h"

const char* loadString(int id) {
    switch (id) {
        case STR_BRIDGE_FILTER:
            return "Bridge Files (*.BRG)|*.BRG|All files (*.*)|*.*|DXF files (*.DXF)|*.DXF|";
        case STR_DXF_FILTER:
            return "DXF files (*.DXF)|*.DXF|All files (*.*)|*.*|Bridge Files (*.BRG)|*.BRG|";
        case STR_VRML_FILTER:
            return "VRML files (*.WRL)|*.WRL|All files (*.*)|*.*|Bridge Files (*.BRG)|*.BRG|";
        case STR_ASSIGNMENT_FILTER:
            return "Assignments (*.trussmill-assignment)|*.trussmill-assignment|All files (*.*)|*.*|";
        default:
            return nullptr;
    }
}
