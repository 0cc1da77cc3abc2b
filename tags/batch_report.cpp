#include "tags/batch_report.h"

#include "base/text_conversion.h"

namespace kestrov::tags {

std::string failure_line(const file_outcome& outcome) {
    std::string line;
    to_multibyte(outcome.path, code_page_utf8, line);
    line += ": ";
    for (const char c : outcome.reason) {
        if (c == '\n' || c == '\r') {
            if (line.back() != ' ') {
                line += ' ';
            }
        } else {
            line += c;
        }
    }
    while (line.back() == ' ') {
        line.pop_back();
    }
    return line;
}

std::string batch_summary(const std::vector<file_outcome>& outcomes, std::size_t listed) {
    std::size_t written = 0;
    std::vector<const file_outcome*> failed;
    for (const auto& outcome : outcomes) {
        if (outcome.written) {
            ++written;
        } else {
            failed.push_back(&outcome);
        }
    }
    if (failed.empty()) {
        return {};
    }
    // Appended piece by piece: the text grows in place.
    std::string text = "Zapsáno ";
    text.append(std::to_string(written)).append(" z ").append(std::to_string(listed));
    text.append(" souborů. Tyto soubory zůstaly beze změny:\n");
    for (std::size_t i = 0; i < failed.size() && i < failures_listed; ++i) {
        text.append("\n").append(failure_line(*failed[i]));
    }
    if (failed.size() > failures_listed) {
        text.append("\n… a dalších ")
            .append(std::to_string(failed.size() - failures_listed))
            .append(".");
    }
    if (outcomes.size() < listed) {
        text.append("\n\nZápis byl ukončen předčasně; zbylých ")
            .append(std::to_string(listed - outcomes.size()))
            .append(" souborů zůstalo beze změny.");
    }
    return text;
}

} // namespace kestrov::tags
