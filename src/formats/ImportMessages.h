#pragma once

// Message texts shared by the survey and the reader; %d and %s are filled by formatMessage.
namespace sortana::messages {

inline constexpr char16_t inputOpenFailed[] =
    u"Failed to open input file\nMake sure it is not in use in other applications";
inline constexpr char16_t inputReadFailed[] =
    u"Failed to read input file\nMake sure it is not in use in other applications";
inline constexpr char16_t lineTooLong[] =
    u"Error - line %d is too long\nLines of more than 16777216 characters cannot be read";
inline constexpr char16_t tooManyLines[] =
    u"Error - the input file has too many lines\nAt most 2147483646 lines can be read";

// The folder chosen for the analysis files is a file.
inline constexpr char16_t folderIsAFile[] =
    u"%s is a file, not a folder.\nChoose another folder for the analysis files.";

} // namespace sortana::messages
