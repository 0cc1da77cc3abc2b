// exiftool as an independent reader of the packets written here: a new one and an edited one.
#include "image/engine/xmp/xmp_packet.h"
#include "image/oracle/shell_command.h"
#include "support/byte_literals.h"
#include "support/temporary_folder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

namespace kestrov::imaging::xmp {
namespace {

std::string exiftool_json(const std::filesystem::path& file, const std::vector<std::byte>& packet) {
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(packet.data()),
               static_cast<std::streamsize>(packet.size()));
    const auto output =
        oracle::run_command("exiftool -j -XMP:all " + oracle::shell_quote(file.string()));
    EXPECT_EQ(output.exit_code, 0);
    return output.standard_output;
}

TEST(XmpExiftool, ReadsNewAndEditedPackets) {
    if (!oracle::find_on_path("exiftool")) {
        GTEST_SKIP() << "exiftool is not installed";
    }
    const kestrov::testing::temporary_folder folder;
    const std::vector<edit> edits{
        {property::dc_title, "A & B <c> \"d\"", true}, {property::dc_description, "Popis", true},
        {property::dc_creator, "Jan Novák", true},     {property::tiff_make, "Canon", true},
        {property::tiff_model, "EOS 5D", true},        {property::tiff_software, "Soft", true},
        {property::xmp_creator_tool, "Tool 'x'", true}};
    const std::string expected[] = {R"("Title": "A & B <c> \"d\"")", R"("Description": "Popis")",
                                    R"("Creator": "Jan Novák")",     R"("Make": "Canon")",
                                    R"("Model": "EOS 5D")",          R"("Software": "Soft")",
                                    R"("CreatorTool": "Tool 'x'")"};

    const auto created = exiftool_json(folder.path() / "new.xmp", new_packet(edits));
    // A packet holding other properties, some of the seven among them, in attribute form.
    const std::string original =
        "<?xpacket begin=\"\xEF\xBB\xBF\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>\n"
        "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\">\n"
        " <rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">\n"
        "  <rdf:Description rdf:about=\"\" xmlns:tiff=\"http://ns.adobe.com/tiff/1.0/\"\n"
        "    tiff:Make=\"Nikon\" tiff:Orientation=\"1\"/>\n"
        " </rdf:RDF>\n"
        "</x:xmpmeta>\n" +
        std::string(2000, ' ') + "\n<?xpacket end=\"w\"?>";
    const auto result = edit_packet(kestrov::testing::bytes_of(original), edits);
    ASSERT_TRUE(result.ok) << result.problem;
    EXPECT_EQ(result.packet.size(), original.size());
    const auto edited = exiftool_json(folder.path() / "edited.xmp", result.packet);
    for (const auto& field : expected) {
        EXPECT_NE(created.find(field), std::string::npos) << field << "\n" << created;
        EXPECT_NE(edited.find(field), std::string::npos) << field << "\n" << edited;
    }
    EXPECT_NE(edited.find(R"("Orientation": )"), std::string::npos) << edited;
}

} // namespace
} // namespace kestrov::imaging::xmp
