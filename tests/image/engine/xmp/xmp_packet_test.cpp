// XMP packets: the seven properties read in each way RDF/XML may write them, edited without
// touching any other byte, added, written anew, and malformed packets refused.
#include "image/engine/xmp/xmp_packet.h"

#include "support/byte_literals.h"

#include <gtest/gtest.h>

#include <string>

namespace kestrov::imaging::xmp {
namespace {

using kestrov::testing::bytes_of;
using texts = std::array<std::optional<std::string>, property_count>;

std::string text_of(const std::vector<std::byte>& bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

packet_texts read(const std::string& packet) {
    return read_packet(bytes_of(packet));
}

edit_result edited(const std::string& packet, std::vector<edit> edits) {
    return edit_packet(bytes_of(packet), edits);
}

// The packet with the first `from` replaced by `to`.
std::string replaced(std::string packet, const std::string& from, const std::string& to) {
    const auto at = packet.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return packet.replace(at, from.size(), to);
}

const std::string rdf_ns = "http://www.w3.org/1999/02/22-rdf-syntax-ns#";

// Laid out as Adobe's writers lay packets out, with room for the padding and the end instruction.
std::string sample(const std::string& padding = "", bool wrapped = false) {
    const std::string body = "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\">\n"
                             " <rdf:RDF xmlns:rdf=\"" +
                             rdf_ns +
                             "\">\n"
                             "  <rdf:Description rdf:about=\"\"\n"
                             "    xmlns:dc=\"http://purl.org/dc/elements/1.1/\"\n"
                             "    xmlns:tiff=\"http://ns.adobe.com/tiff/1.0/\"\n"
                             "    xmlns:xmp=\"http://ns.adobe.com/xap/1.0/\"\n"
                             "   tiff:Make=\"Canon\"\n"
                             "   xmp:CreatorTool=\"Editor 1.0\">\n"
                             "   <dc:title>\n"
                             "    <rdf:Alt>\n"
                             "     <rdf:li xml:lang=\"cs\">Západ</rdf:li>\n"
                             "     <rdf:li xml:lang=\"x-default\">Sunset</rdf:li>\n"
                             "    </rdf:Alt>\n"
                             "   </dc:title>\n"
                             "   <dc:creator>\n"
                             "    <rdf:Seq>\n"
                             "     <rdf:li>Anna</rdf:li>\n"
                             "     <rdf:li>Bob</rdf:li>\n"
                             "    </rdf:Seq>\n"
                             "   </dc:creator>\n"
                             "   <tiff:Model>EOS 5D</tiff:Model>\n"
                             "  </rdf:Description>\n"
                             " </rdf:RDF>\n"
                             "</x:xmpmeta>";
    if (!wrapped && padding.empty()) {
        return body;
    }
    return "<?xpacket begin=\"\xEF\xBB\xBF\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>\n" + body + padding +
           "<?xpacket end=\"w\"?>";
}

// Other prefixes, declarations on the outer elements, two descriptions, references and CDATA.
const std::string other_prefixes =
    "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\" xmlns:t=\"http://ns.adobe.com/tiff/1.0/\">"
    "<r:RDF xmlns:r=\"" +
    rdf_ns +
    "\">"
    "<r:Description r:about=\"\" xmlns:e=\"http://purl.org/dc/elements/1.1/\">"
    "<e:description><r:Alt><r:li xml:lang=\"en\">First</r:li><r:li xml:lang=\"de\">Zweite</r:li>"
    "</r:Alt></e:description><t:Make>Nikon &amp; Co&#x2122;</t:Make>"
    "<e:creator><r:Bag><r:li>One</r:li></r:Bag></e:creator></r:Description>"
    "<r:Description r:about=\"\" t:Software=\"A&#38;B &lt;1&gt;\n2\" "
    "xmlns:a=\"http://ns.adobe.com/xap/1.0/\">"
    "<a:CreatorTool><![CDATA[<raw>]]></a:CreatorTool><t:Model/></r:Description></r:RDF>"
    "</x:xmpmeta>";

// Names that look right in the wrong namespace, a nested description, a resource, a default
// namespace and a differently cased x-default.
const std::string lookalikes =
    "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"><rdf:RDF xmlns:rdf=\"" + rdf_ns +
    "\"><rdf:Description xmlns:dc=\"http://example.com/other/\" "
    "xmlns:d=\"http://purl.org/dc/elements/1.1/\" dc:creator=\"Not me\">"
    "<dc:title>Not this</dc:title>"
    "<d:title><rdf:Alt><rdf:li xml:lang=\"en\">en</rdf:li>"
    "<rdf:li xml:lang=\"X-Default\">Default</rdf:li></rdf:Alt></d:title>"
    "<x:Struct><rdf:Description><d:description>Nested</d:description></rdf:Description></x:Struct>"
    "<Model xmlns=\"http://ns.adobe.com/tiff/1.0/\">  </Model>"
    "<xmp:CreatorTool xmlns:xmp=\"http://ns.adobe.com/xap/1.0/\" rdf:resource=\"http://x\"/>"
    "</rdf:Description></rdf:RDF></x:xmpmeta>";

TEST(XmpPacket, ReadsEveryFormAndPrefix) {
    const struct {
        const char* name;
        std::string packet;
        texts expected;
    } cases[] = {
        {"sample", sample(), texts{"Sunset", {}, "Anna; Bob", "Canon", "EOS 5D", {}, "Editor 1.0"}},
        {"other prefixes", other_prefixes,
         texts{std::nullopt, "First", "One", "Nikon & Co\u2122", "", "A&B <1> 2", "<raw>"}},
        {"lookalikes", lookalikes, texts{"Default", {}, {}, {}, "  ", {}, {}}},
    };
    for (const auto& c : cases) {
        const auto read_back = read(c.packet);
        EXPECT_TRUE(read_back.well_formed) << c.name << ": " << read_back.problem;
        EXPECT_EQ(read_back.texts, c.expected) << c.name;
    }
}

TEST(XmpPacket, EditsSpliceOnlyTheValue) {
    const std::string tricky = "A & B <c> \"d\" 'e'\r\n";
    const struct {
        const char* name;
        std::string packet;
        edit change;
        std::string from;
        std::string to;
    } cases[] = {
        {"alt item", sample(), {property::dc_title, "Dusk"}, ">Sunset<", ">Dusk<"},
        {"attribute",
         sample(),
         {property::tiff_make, tricky},
         "\"Canon\"",
         "\"A &amp; B &lt;c&gt; &quot;d&quot; &apos;e&apos;&#xD;&#xA;\""},
        {"element",
         sample(),
         {property::tiff_model, tricky},
         ">EOS 5D<",
         ">A &amp; B &lt;c&gt; \"d\" 'e'&#xD;\n<"},
        {"seq",
         sample(),
         {property::dc_creator, "Carol"},
         "<rdf:li>Anna</rdf:li>\n     <rdf:li>Bob</rdf:li>",
         "<rdf:li>Carol</rdf:li>"},
        {"empty", sample(), {property::xmp_creator_tool, ""}, "\"Editor 1.0\"", "\"\""},
        {"remove element",
         sample(),
         {property::tiff_model, {}},
         "<tiff:Model>EOS 5D</tiff:Model>",
         ""},
        {"remove attribute", sample(), {property::tiff_make, {}}, "\n   tiff:Make=\"Canon\"", ""},
        {"remove array",
         sample(),
         {property::dc_title, {}},
         sample().substr(sample().find("<dc:title>"),
                         sample().find("</dc:title>") + 11 - sample().find("<dc:title>")),
         ""},
        {"absent, not added", sample(), {property::tiff_software, "X"}, "", ""},
        {"alt without x-default",
         other_prefixes,
         {property::dc_description, "New"},
         "<r:li xml:lang=\"en\">",
         "<r:li xml:lang=\"x-default\">New</r:li><r:li xml:lang=\"en\">"},
        {"array as text", lookalikes, {property::tiff_model, "M"}, ">  <", ">M<"},
        {"bag becomes seq",
         other_prefixes,
         {property::dc_creator, "Two"},
         "<r:Bag><r:li>One</r:li></r:Bag>",
         "\n <r:Seq>\n  <r:li>Two</r:li>\n </r:Seq>\n"},
    };
    for (const auto& c : cases) {
        const auto result = edited(c.packet, {c.change});
        ASSERT_TRUE(result.ok) << c.name << ": " << result.problem;
        EXPECT_EQ(text_of(result.packet), replaced(c.packet, c.from, c.to)) << c.name;
        const auto expected = c.from.empty() ? read(c.packet).text(c.change.which) : c.change.text;
        EXPECT_EQ(read_packet(result.packet).text(c.change.which), expected) << c.name;
    }
}

TEST(XmpPacket, WritesOtherFormsAnewAndDropsDuplicates) {
    const auto packet = [](const std::string& description) {
        return "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"><rdf:RDF xmlns:rdf=\"" + rdf_ns +
               "\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\" " +
               "xmlns:xmp=\"http://ns.adobe.com/xap/1.0/\">" + description +
               "</rdf:RDF></x:xmpmeta>";
    };
    const struct {
        const char* name;
        std::string packet;
        property which;
        std::string left_out; // what the edit must no longer leave in the packet
    } cases[] = {
        {"array as attribute", packet("<rdf:Description dc:title=\"Old\"/>"), property::dc_title,
         "dc:title="},
        {"alt as text", packet("<rdf:Description><dc:title>Old</dc:title></rdf:Description>"),
         property::dc_title, ">Old<"},
        {"empty alt",
         packet("<rdf:Description><dc:description><rdf:Alt/></dc:description>"
                "</rdf:Description>"),
         property::dc_description, "<rdf:Alt/>"},
        {"empty x-default item",
         packet("<rdf:Description><dc:title><rdf:Alt><rdf:li xml:lang=\"x-default\"/>"
                "</rdf:Alt></dc:title></rdf:Description>"),
         property::dc_title, "<rdf:li xml:lang=\"x-default\"/>"},
        {"resource",
         packet("<rdf:Description><xmp:CreatorTool rdf:resource=\"http://t\"/>"
                "</rdf:Description>"),
         property::xmp_creator_tool, "rdf:resource"},
        {"duplicates",
         packet("<rdf:Description xmp:CreatorTool=\"One\"/>"
                "<rdf:Description><xmp:CreatorTool>Two</xmp:CreatorTool>"
                "</rdf:Description>"),
         property::xmp_creator_tool, "Two"},
    };
    for (const auto& c : cases) {
        const auto result = edited(c.packet, {{c.which, "New"}});
        ASSERT_TRUE(result.ok) << c.name << ": " << result.problem;
        EXPECT_EQ(read_packet(result.packet).text(c.which), "New") << c.name;
        EXPECT_EQ(text_of(result.packet).find(c.left_out), std::string::npos) << c.name;
    }
}

TEST(XmpPacket, PaddingAbsorbsTheChangeInSize) {
    const std::string roomy(40, ' ');
    const struct {
        const char* name;
        std::string padding;
        std::string title;
        std::string padding_after;
    } cases[] = {
        {"grows into padding", roomy + "\n", "Sunset!!", std::string(38, ' ') + "\n"},
        {"shrinks into padding", roomy + "\n", "Sun", std::string(43, ' ') + "\n"},
        {"too little padding", "\n", "Sunset and more", "\n"},
        {"padding without a line break", roomy, "Sunset!!", std::string(38, ' ')},
        {"no padding", "", "Sun", ""},
    };
    for (const auto& c : cases) {
        const auto packet = sample(c.padding, true);
        const auto result = edited(packet, {{property::dc_title, c.title}});
        ASSERT_TRUE(result.ok) << c.name << ": " << result.problem;
        const auto expected =
            replaced(sample(c.padding_after, true), ">Sunset<", ">" + c.title + "<");
        EXPECT_EQ(text_of(result.packet), expected) << c.name;
    }
}

TEST(XmpPacket, AddsPropertiesAndTheirNamespaces) {
    const std::string head = "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\">\n <rdf:RDF xmlns:rdf=\"" +
                             rdf_ns + "\">\n  <rdf:Description rdf:about=\"\" " +
                             "xmlns:xmp=\"http://ns.adobe.com/xap/1.0/\" xmp:CreatorTool=\"T\"";
    const std::string tail = "\n </rdf:RDF>\n</x:xmpmeta>\n";
    const std::vector<edit> edits{{property::dc_title, "Title", true},
                                  {property::dc_creator, "A; B", true},
                                  {property::tiff_make, "M & N", true},
                                  {property::dc_description, {}, true}};
    for (const auto& closing : {std::string("/>"), std::string(">\n  </rdf:Description>")}) {
        const auto result = edited(head + closing + tail, edits);
        ASSERT_TRUE(result.ok) << result.problem;
        const auto out = text_of(result.packet);
        EXPECT_TRUE(out.starts_with(head + " xmlns:dc=\"http://purl.org/dc/elements/1.1/\" " +
                                    "xmlns:tiff=\"http://ns.adobe.com/tiff/1.0/\">\n   <dc:title>"))
            << out;
        EXPECT_TRUE(out.ends_with("</tiff:Make>\n  </rdf:Description>" + tail)) << out;
        EXPECT_EQ(read_packet(result.packet).texts,
                  (texts{"Title", {}, "A; B", "M & N", {}, {}, "T"}));
    }
    // A prefix taken by another namespace is not reused.
    const auto shadowed = replaced(sample(), "xmlns:dc=\"http://purl.org/dc/elements/1.1/\"",
                                   "xmlns:dc=\"http://example.com/\"");
    const auto result = edited(shadowed, {{property::dc_description, "D", true}});
    ASSERT_TRUE(result.ok) << result.problem;
    EXPECT_NE(text_of(result.packet).find("xmlns:dc1=\"http://purl.org/dc/elements/1.1/\""),
              std::string::npos);
    EXPECT_EQ(read_packet(result.packet).text(property::dc_description), "D");
}

TEST(XmpPacket, NewPacketReadsBack) {
    const std::vector<edit> edits{{property::dc_title, "A & B <c> \"d\""},
                                  {property::dc_description, "Popis\nřádky"},
                                  {property::dc_creator, "Jan Novák"},
                                  {property::tiff_make, "Make"},
                                  {property::tiff_model, ""},
                                  {property::tiff_software, "Soft\x01ware"},
                                  {property::xmp_creator_tool, {}}};
    const auto read_back = read_packet(new_packet(edits));
    EXPECT_TRUE(read_back.well_formed) << read_back.problem;
    EXPECT_EQ(
        read_back.texts,
        (texts{"A & B <c> \"d\"", "Popis\nřádky", "Jan Novák", "Make", "", "Soft\uFFFDware", {}}));
    const auto empty = read_packet(new_packet({}));
    EXPECT_TRUE(empty.well_formed);
    EXPECT_EQ(empty.texts, texts{});
    EXPECT_FALSE(edited(sample(), {{property::tiff_make, "a\x01"}}).ok);
}

std::string nested(std::size_t depth) {
    std::string open;
    std::string close;
    for (std::size_t i = 0; i < depth; ++i) {
        open += "<a>";
        close += "</a>";
    }
    return open + close;
}

TEST(XmpPacket, MalformedPacketsAreRefused) {
    const auto wrap = [](const std::string& inner) {
        return "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"><rdf:RDF xmlns:rdf=\"" + rdf_ns + "\">" +
               inner + "</rdf:RDF></x:xmpmeta>";
    };
    std::string elements;
    for (std::size_t i = 0; i < max_element_count; ++i) {
        elements += "<b/>";
    }
    const std::string cases[] = {
        "<!DOCTYPE x [<!ENTITY e \"boom\">]>" + wrap("<rdf:Description>&e;</rdf:Description>"),
        wrap("<!ENTITY e \"boom\">"),
        wrap("<rdf:Description xmlns:tiff=\"http://ns.adobe.com/tiff/1.0/\">"
             "<tiff:Make>&e;</tiff:Make></rdf:Description>"),
        wrap("<rdf:Description a=\"&#0;\"/>"),
        wrap("<rdf:Description a=\"&#x110000;\"/>"),
        wrap("<rdf:Description a=\"&amp\"/>"),
        wrap(nested(max_nesting_depth - 1)),
        wrap(elements),
        wrap("<rdf:Description></rdf:Descriptio>"),
        wrap("<rdf:Description a=\"1/>"),
        wrap("<rdf:Description a=\"\xC3\"/>"),
        wrap(std::string("<rdf:Description a=\"") + '\0' + "\"/>"),
        "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"/>",
        wrap(std::string(max_packet_size, ' ')),
    };
    for (const auto& packet : cases) {
        const auto read_back = read(packet);
        EXPECT_FALSE(read_back.well_formed) << packet.substr(0, 200);
        EXPECT_FALSE(read_back.problem.empty());
        EXPECT_FALSE(edited(packet, {{property::tiff_make, "x", true}}).ok);
    }
    EXPECT_TRUE(read(wrap(nested(max_nesting_depth - 2))).well_formed);

    // Every cut of a valid packet is refused, never read past its end.
    const auto whole = bytes_of(other_prefixes);
    for (std::size_t size = 0; size < whole.size(); ++size) {
        const std::vector<std::byte> cut(whole.begin(),
                                         whole.begin() + static_cast<std::ptrdiff_t>(size));
        EXPECT_FALSE(read_packet(cut).well_formed) << size;
        const edit change{property::dc_title, "T", true};
        EXPECT_FALSE(edit_packet(cut, std::span(&change, 1)).ok) << size;
    }
}

} // namespace
} // namespace kestrov::imaging::xmp
