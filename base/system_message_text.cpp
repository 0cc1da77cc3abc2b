// Message texts of the portable build for the codes the program raises. They end with a line
// break, like the system's own texts on Windows.
#include "base/system_message.h"

#include <array>
#include <utility>

namespace kestrov {

namespace {

struct message_entry {
    hresult code;
    const char* text;
};

constexpr hresult w32(std::uint32_t error) {
    return hresult_from_win32(error);
}

constexpr std::array messages{
    message_entry{e_notimpl, "Tato operace není implementována.\r\n"},
    message_entry{e_nointerface, "Objekt požadované rozhraní nepodporuje.\r\n"},
    message_entry{e_pointer, "Byl předán neplatný ukazatel.\r\n"},
    message_entry{e_fail, "Operace se nezdařila z blíže neurčeného důvodu.\r\n"},
    message_entry{e_unexpected, "Nastala neočekávaná chyba.\r\n"},
    message_entry{w32(win32::error_file_not_found), "Zadaný soubor nebyl nalezen.\r\n"},
    message_entry{w32(win32::error_path_not_found), "Zadaná cesta nebyla nalezena.\r\n"},
    message_entry{w32(win32::error_too_many_open_files), "Je otevřeno příliš mnoho souborů.\r\n"},
    message_entry{w32(win32::error_access_denied),
                  "Přístup k souboru nebo složce byl odepřen.\r\n"},
    message_entry{w32(win32::error_invalid_handle), "Popisovač objektu není platný.\r\n"},
    message_entry{w32(win32::error_not_enough_memory),
                  "Pro provedení operace není k dispozici dostatek paměti.\r\n"},
    message_entry{w32(win32::error_invalid_data), "Data nejsou platná.\r\n"},
    message_entry{w32(win32::error_outofmemory),
                  "Pro dokončení operace není k dispozici dostatek paměti.\r\n"},
    message_entry{w32(win32::error_not_same_device), "Soubor nelze přesunout na jiný svazek.\r\n"},
    message_entry{w32(win32::error_write_protect), "Médium je chráněno proti zápisu.\r\n"},
    message_entry{w32(win32::error_gen_failure), "Zařízení nebo systém ohlásil chybu.\r\n"},
    message_entry{w32(win32::error_sharing_violation),
                  "Soubor používá jiný proces, a proto k němu nelze přistoupit.\r\n"},
    message_entry{w32(win32::error_handle_eof), "Bylo dosaženo konce souboru.\r\n"},
    message_entry{w32(win32::error_not_supported), "Požadavek není podporován.\r\n"},
    message_entry{w32(win32::error_file_exists), "Soubor již existuje.\r\n"},
    message_entry{w32(win32::error_invalid_parameter), "Parametr je nesprávný.\r\n"},
    message_entry{w32(win32::error_disk_full), "Na disku nezbývá dost volného místa.\r\n"},
    message_entry{w32(win32::error_insufficient_buffer),
                  "Oblast dat předaná systému je příliš malá.\r\n"},
    message_entry{w32(win32::error_invalid_name),
                  "Název souboru, složky nebo svazku má nesprávný tvar.\r\n"},
    message_entry{w32(win32::error_dir_not_empty), "Složka není prázdná.\r\n"},
    message_entry{w32(win32::error_already_exists),
                  "Soubor nelze vytvořit, protože již existuje.\r\n"},
    message_entry{w32(win32::error_filename_exced_range),
                  "Název souboru nebo jeho přípona je příliš dlouhá.\r\n"},
    message_entry{w32(win32::error_file_too_large), "Soubor je pro tuto operaci příliš velký.\r\n"},
    message_entry{w32(win32::error_directory), "Název složky není platný.\r\n"},
    message_entry{w32(win32::error_no_unicode_translation),
                  "Pro znak v textu neexistuje převod do cílové znakové sady.\r\n"},
    message_entry{w32(win32::error_io_device),
                  "Požadavek nelze provést kvůli chybě vstupu a výstupu zařízení.\r\n"},
    message_entry{w32(win32::error_unsupported_type), "Tento typ dat není podporován.\r\n"},
    message_entry{w32(win32::error_resource_type_not_found),
                  "Zadaný typ prostředku nebyl v souboru obrazu nalezen.\r\n"},
    message_entry{w32(win32::error_cant_resolve_filename), "Název souboru nelze přeložit.\r\n"},
};

} // namespace

std::optional<std::string> system_message_text(hresult code) {
    // Like the system, a plain Win32 error number finds the text of its HRESULT form.
    const hresult wanted = hresult_from_win32(code);
    for (const auto& entry : messages) {
        if (entry.code == wanted) {
            return std::string(entry.text);
        }
    }
    return std::nullopt;
}

} // namespace kestrov
