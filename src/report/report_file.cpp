#include "report/report_file.h"

namespace corvanite {

std::u16string ExtendedLengthPath(std::u16string_view fullPath) {
    constexpr size_t MAX_PATH_CHARS = 260;
    const bool driveAbsolute = fullPath.size() >= 3 && fullPath[1] == u':' && fullPath[2] == u'\\';
    const bool unc = fullPath.starts_with(u"\\\\") && !fullPath.starts_with(u"\\\\?\\") &&
                     !fullPath.starts_with(u"\\\\.\\");
    if (fullPath.size() < MAX_PATH_CHARS || (!driveAbsolute && !unc)) {
        return std::u16string(fullPath);
    }
    return driveAbsolute ? u"\\\\?\\" + std::u16string(fullPath)
                         : u"\\\\?\\UNC\\" + std::u16string(fullPath.substr(2));
}

}  // namespace corvanite
