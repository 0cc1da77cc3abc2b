// Runs in an executable that carries the program's own version resource.
#include "app/version_info_win.h"

#include "app/application_base_win.h"
#include "base/kestrov_exception.h"

#include "mirtel_version.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace kestrov {
namespace {

TEST(VersionResource, NamesTheProductAndItsMaker) {
    EXPECT_EQ(version_string(L"ProductName"), L"Mirtel info");
    EXPECT_EQ(version_string(L"LegalCopyright"), L"© Kestrov. Všechna práva vyhrazena.");
}

TEST(VersionResource, ProductVersionIsTheProductsNotTheFiles) {
    EXPECT_EQ(product_version(), L"" MIRTEL_VERSION_TEXT);
}

TEST(VersionResource, AMissingNameIsAnInvalidArgument) {
    try {
        version_string(nullptr);
        FAIL() << "version_string returned";
    } catch (const std::invalid_argument& error) {
        EXPECT_STREQ(error.what(), "Nebylo zadané jméno bloku v informaci o verzi.");
    }
}

TEST(VersionResource, AValueThatIsNotThereRaises) {
    EXPECT_THROW(version_string(L"NeexistujiciHodnota"), kestrov_exception);
}

TEST(VersionResource, TheProductNameCaptionsTheApplicationsBoxes) {
    application_base application;
    EXPECT_EQ(application.product_name(), L"Mirtel info");
    // Read once and kept.
    EXPECT_EQ(&application.product_name(), &application.product_name());
}

} // namespace
} // namespace kestrov
