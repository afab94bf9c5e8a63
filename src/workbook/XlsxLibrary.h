#pragma once

#include <xlsxwriter.h>

namespace sortana {

// libxlsxwriter zips through the system's minizip, and QuaZip, which the workbook reader
// links, exports a fork of minizip under the same C names with other argument types. In one
// link namespace the dynamic linker binds each name to one of them for both, and either the
// reader or the writer crashes; so libxlsxwriter and what it needs are loaded into a
// namespace of their own and called through this table.
struct XlsxLibrary {
    decltype(&workbook_new_opt) newWorkbook = nullptr;
    decltype(&workbook_add_worksheet) addWorksheet = nullptr;
    decltype(&workbook_add_format) addFormat = nullptr;
    decltype(&workbook_close) close = nullptr;
    decltype(&format_set_num_format) setNumberFormat = nullptr;
    decltype(&format_set_bold) setBold = nullptr;
    decltype(&worksheet_write_string) writeString = nullptr;
    decltype(&worksheet_write_number) writeNumber = nullptr;
    decltype(&worksheet_set_column) setColumn = nullptr;
    decltype(&worksheet_freeze_panes) freezePanes = nullptr;
    decltype(&worksheet_conditional_format_range) conditionalFormat = nullptr;

    bool loaded() const
    {
        return newWorkbook && addWorksheet && addFormat && close && setNumberFormat && setBold && writeString
            && writeNumber && setColumn && freezePanes && conditionalFormat;
    }
};

// The functions, loaded the first time they are asked for; none of them when the library
// cannot be loaded.
const XlsxLibrary &xlsxLibrary();

} // namespace sortana
