#include "workbook/XlsxLibrary.h"

#include <type_traits>

#include <dlfcn.h>

namespace sortana {

const XlsxLibrary &xlsxLibrary()
{
    static const XlsxLibrary functions = [] {
        XlsxLibrary table;
        // Kept loaded for the rest of the run, as a library linked would be.
        void *library = dlmopen(LM_ID_NEWLM, SORTANA_XLSXWRITER_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        if (!library)
            return table;
        const auto load = [library](auto &function, const char *name) {
            function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(dlsym(library, name));
        };
        load(table.newWorkbook, "workbook_new_opt");
        load(table.addWorksheet, "workbook_add_worksheet");
        load(table.addFormat, "workbook_add_format");
        load(table.close, "workbook_close");
        load(table.setNumberFormat, "format_set_num_format");
        load(table.setBold, "format_set_bold");
        load(table.writeString, "worksheet_write_string");
        load(table.writeNumber, "worksheet_write_number");
        load(table.setColumn, "worksheet_set_column");
        load(table.freezePanes, "worksheet_freeze_panes");
        load(table.conditionalFormat, "worksheet_conditional_format_range");
        return table;
    }();
    return functions;
}

} // namespace sortana
