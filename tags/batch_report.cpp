#include "tags/batch_report.h"

#include "base/text_conversion.h"

namespace kestrov::tags {

namespace {

// "<path>: <text>" on one line: the text's own line breaks are dropped.
std::string file_line(const std::wstring& path, const std::string& text) {
    std::string line;
    to_multibyte(path, code_page_utf8, line);
    line += ": ";
    for (const char c : text) {
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

} // namespace

std::string failure_line(const file_outcome& outcome) {
    return file_line(outcome.path, outcome.reason);
}

std::string note_line(const file_outcome& outcome) {
    return file_line(outcome.path, outcome.note);
}

std::string batch_summary(const std::vector<file_outcome>& outcomes, std::size_t listed) {
    std::size_t written = 0;
    // The entries of the list that the outcomes stand for: a file listed twice has one outcome.
    std::size_t entries_done = 0;
    std::vector<const file_outcome*> failed;
    std::vector<const file_outcome*> noted;
    for (const auto& outcome : outcomes) {
        entries_done += outcome.listings;
        if (outcome.written) {
            ++written;
            if (!outcome.note.empty()) {
                noted.push_back(&outcome);
            }
        } else {
            failed.push_back(&outcome);
        }
    }
    if (failed.empty() && noted.empty()) {
        return {};
    }
    const auto list = [](std::string& text, const std::vector<const file_outcome*>& files,
                         std::string (*line)(const file_outcome&)) {
        for (std::size_t i = 0; i < files.size() && i < failures_listed; ++i) {
            text.append("\n").append(line(*files[i]));
        }
        if (files.size() > failures_listed) {
            text.append("\n… a dalších ")
                .append(std::to_string(files.size() - failures_listed))
                .append(".");
        }
    };
    // Appended piece by piece: the text grows in place.
    const std::size_t left = listed > entries_done ? listed - entries_done : 0;
    std::string text = "Zapsáno ";
    text.append(std::to_string(written))
        .append(" z ")
        .append(std::to_string(outcomes.size() + left));
    if (!failed.empty()) {
        text.append(" souborů. Tyto soubory zůstaly beze změny:\n");
        list(text, failed, failure_line);
    } else {
        text.append(" souborů.");
    }
    if (left > 0) {
        text.append("\n\nZápis byl ukončen předčasně; zbylých ")
            .append(std::to_string(left))
            .append(" souborů zůstalo beze změny.");
    }
    if (!noted.empty()) {
        text.append("\n\nUpozornění k zapsaným souborům:\n");
        list(text, noted, note_line);
    }
    return text;
}

} // namespace kestrov::tags
