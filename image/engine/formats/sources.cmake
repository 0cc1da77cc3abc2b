# The container readers for PNG, GIF and the formats without items, with what they share.
target_sources(mirtel_image PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/buffered_reader.cpp
    ${CMAKE_CURRENT_LIST_DIR}/gif_reader.cpp
    ${CMAKE_CURRENT_LIST_DIR}/item_values.cpp
    ${CMAKE_CURRENT_LIST_DIR}/other_formats.cpp
    ${CMAKE_CURRENT_LIST_DIR}/png_ancillary.cpp
    ${CMAKE_CURRENT_LIST_DIR}/png_crc.cpp
    ${CMAKE_CURRENT_LIST_DIR}/png_reader.cpp
    ${CMAKE_CURRENT_LIST_DIR}/png_writer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/png_text.cpp
    ${CMAKE_CURRENT_LIST_DIR}/text_bytes.cpp
    ${CMAKE_CURRENT_LIST_DIR}/zlib_inflate.cpp)
