// The six descriptive texts: what each is called, how the main window asks for it, where the
// batch dialog takes it from and how the console tool names it. The rows are in the order the
// property list shows the texts and the batch writes them.
#pragma once

#include "tags/tag_ids.h"

#include <array>

namespace kestrov::tags {

struct descriptive_field {
    tag_id id;
    // The display name the property list and the add dialog show.
    const wchar_t* name;
    // What the text input asks when the user edits this text in the main window.
    const wchar_t* prompt;
    // The field's place in the batch dialog, counted from the top; the dialog numbers its edit
    // controls in this order.
    int batch_field;
    // The console tool's option for this text, without its dashes ("title" is --title).
    const wchar_t* console_option;
};

// "Zařízrení" is the name users of earlier versions know the camera model by; it stays as it is.
inline constexpr std::array<descriptive_field, 6> descriptive_fields{{
    {image_title, L"Název", L"Zadej název obrázku", 0, L"title"},
    {image_description, L"Popis", L"Zadej popis obrázku", 1, L"description"},
    {artist, L"Autor", L"Zadej autora obrázku", 2, L"author"},
    {make, L"Výrobce", L"Zadej výrobce", 3, L"make"},
    {model, L"Zařízrení", L"Zadej zařízení", 4, L"model"},
    {software, L"Použitý software", L"Zadej použitý software", 5, L"software"},
}};

// The row of the descriptive text with item id `id`; null for a tag that is not one of them.
constexpr const descriptive_field* find_descriptive_field(tag_id id) {
    for (const auto& field : descriptive_fields) {
        if (field.id == id) {
            return &field;
        }
    }
    return nullptr;
}

} // namespace kestrov::tags
