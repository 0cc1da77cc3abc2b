#include "cli/commands.h"

#include "base/text_conversion.h"
#include "cli/arguments.h"
#include "cli/console.h"
#include "cli/interruption.h"
#include "image/bitmap_plus.h"
#include "image/gdiplus_exception.h"
#include "image/saving.h"
#include "image/supported_extensions.h"
#include "tags/batch_report.h"
#include "tags/batch_writer.h"
#include "tags/group_rows.h"
#include "tags/tag_dump.h"

#include "mirtel_version.h"

#include <algorithm>
#include <exception>
#include <string>
#include <thread>

namespace kestrov::cli {

namespace {

constexpr char usage[] =
    "Použití: mirtel-cli PŘÍKAZ [VOLBY] [SOUBOR...]\n"
    "Zobrazuje a upravuje metadata obrázků (JPEG, TIFF, PNG, GIF, BMP).\n"
    "\n"
    "Příkazy:\n"
    "  show [--group popisne|gps|foto|vse] SOUBOR...\n"
    "      vypíše vlastnosti jako seznam vlastností programu: název, tabulátor, hodnota\n"
    "      (bez volby skupina popisne)\n"
    "  dump SOUBOR ID\n"
    "      vypíše počet bytů, typ a data vlastnosti ID (desítkově, nebo šestnáctkově s 0x)\n"
    "  set [--title T] [--description D] [--author A] [--make M] [--model M]\n"
    "      [--software S] [-j N] SOUBOR...\n"
    "      zapíše neprázdné texty do všech souborů; -j je počet souborů zpracovávaných naráz\n"
    "  remove SOUBOR ID...\n"
    "      odstraní ze souboru vlastnosti s danými identifikátory\n"
    "  extensions\n"
    "      vypíše přípony souborů, které program umí číst\n"
    "  --help     tato nápověda\n"
    "  --version  verze programu\n"
    "\n"
    "Návratový kód: 0 hotovo, 1 některý soubor nebylo možné zpracovat, 2 chybné zadání.\n";

int usage_failure(const std::string& text) {
    write(stderr, "mirtel-cli: " + text + "\n");
    write(stderr, std::string_view("Nápovědu vypíše mirtel-cli --help.\n"));
    return 2;
}

void report(const std::wstring& path, const std::string& reason) {
    write(stderr, tags::failure_line({path, false, reason, {}}) + "\n");
}

// A damaged file is shown as far as it is readable; what was skipped is said on stderr, a line
// each, naming the file when the command reads several.
void report_warnings(const gdi::bitmap_plus& bitmap, const std::wstring* path) {
    for (const auto& text : bitmap.warnings()) {
        write(stderr, std::string_view("Varování: "));
        if (path != nullptr) {
            write(stderr, *path + L": ");
        }
        write(stderr, text + "\n");
    }
}

tags::tag_group group_named(const std::wstring& name) {
    std::wstring choices;
    for (const auto& entry : tags::group_entries) {
        if (name == entry.console_name) {
            return entry.value;
        }
        choices += (choices.empty() ? L"" : L", ") + std::wstring(entry.console_name);
    }
    std::string listed;
    to_multibyte(choices, code_page_utf8, listed);
    throw usage_error{"neznámá skupina (možnosti: " + listed + ")"};
}

} // namespace

int show_command(const std::vector<std::wstring>& arguments) {
    const auto parsed = parse_arguments(arguments, {{L"group", L"group"}, {L"g", L"group"}});
    if (parsed.operands.empty()) {
        throw usage_error{"chybí soubor"};
    }
    const auto found = parsed.options.find(L"group");
    const tags::tag_group group =
        found == parsed.options.end() ? tags::group_descriptive : group_named(found->second);
    tags::tag_catalogue catalogue;
    catalogue.fill();
    int result = 0;
    for (const auto& path : parsed.operands) {
        try {
            gdi::bitmap_plus bitmap(path);
            report_warnings(bitmap, parsed.operands.size() > 1 ? &path : nullptr);
            const auto rows = tags::group_rows(group, bitmap.bitmap(), catalogue);
            if (parsed.operands.size() > 1) {
                write(stdout, path + L":\n");
            }
            for (const auto& row : rows) {
                write(stdout, row.name + L"\t" + row.value + L"\n");
            }
        } catch (const std::exception& error) {
            report(path, error.what());
            result = 1;
        }
    }
    return result;
}

int dump_command(const std::vector<std::wstring>& arguments) {
    const auto parsed = parse_arguments(arguments, {});
    if (parsed.operands.size() != 2) {
        throw usage_error{"dump potřebuje soubor a identifikátor"};
    }
    const auto id = parse_tag_id(parsed.operands[1]);
    if (!id) {
        throw usage_error{"identifikátor musí být číslo od 0 do 4294967295 (nebo 0x...)"};
    }
    try {
        gdi::bitmap_plus bitmap(parsed.operands[0]);
        report_warnings(bitmap, nullptr);
        // Like the dump dialog: 0 and ids the image does not hold show nothing.
        const auto dump = *id == 0 ? std::nullopt : tags::read_dump(*bitmap.bitmap(), *id);
        if (!dump) {
            return 1;
        }
        write(stdout, "Počet bytů dat: " + std::to_string(dump->length) +
                          "\nTyp: " + std::to_string(dump->type) + "\n" + dump->hex + "\n");
        return 0;
    } catch (const std::exception& error) {
        report(parsed.operands[0], error.what());
        return 1;
    }
}

int set_command(const std::vector<std::wstring>& arguments) {
    std::map<std::wstring, std::wstring> accepted = {{L"j", L"jobs"}, {L"jobs", L"jobs"}};
    for (const auto& field : tags::descriptive_fields) {
        accepted[field.console_option] = field.console_option;
    }
    const auto parsed = parse_arguments(arguments, accepted);
    if (parsed.operands.empty()) {
        throw usage_error{"chybí soubor"};
    }
    tags::descriptive_texts texts;
    for (std::size_t i = 0; i < tags::descriptive_fields.size(); ++i) {
        const auto found = parsed.options.find(tags::descriptive_fields[i].console_option);
        if (found != parsed.options.end()) {
            texts.values[i] = found->second;
        }
    }
    unsigned jobs = std::max(1U, std::thread::hardware_concurrency());
    if (const auto found = parsed.options.find(L"jobs"); found != parsed.options.end()) {
        const auto number = parse_tag_id(found->second);
        if (!number || *number == 0 || *number > 64) {
            throw usage_error{"-j musí být číslo od 1 do 64"};
        }
        jobs = *number;
    }
    const bool show_progress = is_terminal(stderr);
    const interruption_guard interruption;
    const auto outcomes = tags::write_descriptive_texts(
        parsed.operands, texts, jobs,
        [show_progress](std::size_t done, std::size_t total) {
            if (show_progress) {
                write(stderr,
                      "\rZapisuji " + std::to_string(done) + " z " + std::to_string(total) + "...");
            }
        },
        [] { return !interruption_guard::requested(); });
    if (show_progress) {
        write(stderr, std::string_view("\r\x1b[K"));
    }
    std::size_t written = 0;
    std::size_t entries_done = 0;
    for (const auto& outcome : outcomes) {
        entries_done += outcome.listings;
        if (outcome.written) {
            ++written;
            if (!outcome.note.empty()) {
                write(stderr, "Varování: " + tags::note_line(outcome) + "\n");
            }
        } else {
            report(outcome.path, outcome.reason);
        }
    }
    const std::size_t left = parsed.operands.size() - entries_done;
    write(stdout, "Zapsáno " + std::to_string(written) + " z " +
                      std::to_string(outcomes.size() + left) + " souborů.\n");
    if (left > 0) {
        write(stderr, "Zápis byl přerušen; zbylých " + std::to_string(left) +
                          " souborů zůstalo beze změny.\n");
    }
    return written == outcomes.size() && left == 0 ? 0 : 1;
}

int remove_command(const std::vector<std::wstring>& arguments) {
    const auto parsed = parse_arguments(arguments, {});
    if (parsed.operands.size() < 2) {
        throw usage_error{"remove potřebuje soubor a alespoň jeden identifikátor"};
    }
    std::vector<std::uint32_t> ids;
    for (std::size_t i = 1; i < parsed.operands.size(); ++i) {
        const auto id = parse_tag_id(parsed.operands[i]);
        if (!id) {
            throw usage_error{"identifikátor musí být číslo od 0 do 4294967295 (nebo 0x...)"};
        }
        ids.push_back(*id);
    }
    const std::wstring& path = parsed.operands[0];
    try {
        gdi::bitmap_plus bitmap(path);
        for (const auto id : ids) {
            const auto result = bitmap.bitmap()->remove_property_item(id);
            if (result == imaging::status::property_not_found) {
                // Nothing is saved when one of the ids is not there: all or nothing.
                report(path, "vlastnost " + std::to_string(id) + " v souboru není");
                return 1;
            }
            if (result != imaging::status::ok) {
                throw gdi::gdiplus_exception(result);
            }
        }
        if (bitmap.save().other_names_keep_old_content) {
            write(stderr,
                  "Varování: " + tags::note_line({path, true, {}, gdi::other_names_note()}) + "\n");
        }
        return 0;
    } catch (const std::exception& error) {
        report(path, error.what());
        return 1;
    }
}

int extensions_command(const std::vector<std::wstring>& arguments) {
    if (!arguments.empty()) {
        throw usage_error{"extensions nemá žádné parametry"};
    }
    std::vector<std::wstring> extensions;
    load_decoder_extensions(extensions);
    for (const auto& extension : extensions) {
        write(stdout, extension + L"\n");
    }
    return 0;
}

int run(const std::vector<std::wstring>& arguments) {
    if (arguments.empty()) {
        return usage_failure("chybí příkaz");
    }
    const std::wstring& command = arguments.front();
    const std::vector<std::wstring> rest(arguments.begin() + 1, arguments.end());
    try {
        if (command == L"--help" || command == L"-h") {
            write(stdout, std::string_view(usage));
            return 0;
        }
        if (command == L"--version") {
            write(stdout, std::string_view("mirtel-cli " MIRTEL_VERSION_TEXT "\n"));
            return 0;
        }
        if (command == L"show") {
            return show_command(rest);
        }
        if (command == L"dump") {
            return dump_command(rest);
        }
        if (command == L"set") {
            return set_command(rest);
        }
        if (command == L"remove") {
            return remove_command(rest);
        }
        if (command == L"extensions") {
            return extensions_command(rest);
        }
        std::string name;
        to_multibyte(command, code_page_utf8, name);
        return usage_failure("neznámý příkaz " + name);
    } catch (const usage_error& error) {
        return usage_failure(error.text);
    }
}

} // namespace kestrov::cli
