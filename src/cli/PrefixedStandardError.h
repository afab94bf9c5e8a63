#pragma once

#include <cstdio>
#include <string>

namespace sortana {

// Every line sortana-cli writes to standard error starts with "Sortana: ", the lines that
// libraries print there on their own too (libpng reports a failed write with fprintf). While
// this lives, the C library's stderr is a stream that gives each line the prefix it lacks and
// passes the program's own lines as they are; the original stream is back when it goes.
class PrefixedStandardError {
public:
    PrefixedStandardError();
    ~PrefixedStandardError();
    PrefixedStandardError(const PrefixedStandardError &) = delete;
    PrefixedStandardError &operator=(const PrefixedStandardError &) = delete;

private:
    static ssize_t write(void *cookie, const char *data, size_t size);
    static int close(void *cookie);
    void writeLine(const std::string &line);

    std::FILE *m_original;
    std::FILE *m_stream = nullptr;
    // The start of a line whose end has not come yet: whether it needs the prefix is only
    // known once its first characters are there, and a whole line is written at once.
    std::string m_pending;
};

} // namespace sortana
