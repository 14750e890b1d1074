#include "volume_check/chkdsk_command.h"

namespace corvanite {

bool IsVolumeText(std::u16string_view volume) {
    return volume.size() == 2 && volume[0] >= u'A' && volume[0] <= u'Z' && volume[1] == u':';
}

std::u16string ChkdskCommandLine(std::u16string_view volume, bool readOnly) {
    std::u16string line(CHKDSK_PROGRAM);
    for (const std::u16string& word : ChkdskArguments(volume, readOnly)) {
        line.push_back(u' ');
        line.append(word);
    }
    return line;
}

std::vector<std::u16string> ChkdskArguments(std::u16string_view volume, bool readOnly) {
    std::vector<std::u16string> words{std::u16string(volume)};
    if (!readOnly) {
        words.emplace_back(u"/f");
        words.emplace_back(u"/x");
    }
    words.emplace_back(u"/v");
    return words;
}

}  // namespace corvanite
