#include "cli/PrefixedStandardError.h"

#include "platform/Platform.h"

#include <QString>

namespace sortana {

namespace {

const std::string &linePrefix()
{
    static const std::string prefix = applicationName.toString().toStdString() + ": ";
    return prefix;
}

} // namespace

PrefixedStandardError::PrefixedStandardError() : m_original(stderr)
{
    const cookie_io_functions_t functions {nullptr, &PrefixedStandardError::write, nullptr,
                                           &PrefixedStandardError::close};
    m_stream = fopencookie(this, "w", functions);
    if (!m_stream)
        return; // the lines go out as they are, which is better than not at all
    // Unbuffered: what was written is with this object at once, nothing waits in the stream.
    std::setvbuf(m_stream, nullptr, _IONBF, 0);
    stderr = m_stream;
}

PrefixedStandardError::~PrefixedStandardError()
{
    if (!m_stream)
        return;
    stderr = m_original;
    std::fclose(m_stream);
}

ssize_t PrefixedStandardError::write(void *cookie, const char *data, size_t size)
{
    auto &self = *static_cast<PrefixedStandardError *>(cookie);
    self.m_pending.append(data, size);
    for (size_t end = self.m_pending.find('\n'); end != std::string::npos; end = self.m_pending.find('\n')) {
        self.writeLine(self.m_pending.substr(0, end + 1));
        self.m_pending.erase(0, end + 1);
    }
    return ssize_t(size);
}

int PrefixedStandardError::close(void *cookie)
{
    auto &self = *static_cast<PrefixedStandardError *>(cookie);
    if (!self.m_pending.empty())
        self.writeLine(self.m_pending + '\n');
    self.m_pending.clear();
    return 0;
}

void PrefixedStandardError::writeLine(const std::string &line)
{
    if (!line.starts_with(linePrefix()))
        std::fputs(linePrefix().c_str(), m_original);
    std::fwrite(line.data(), 1, line.size(), m_original);
    std::fflush(m_original);
}

} // namespace sortana
