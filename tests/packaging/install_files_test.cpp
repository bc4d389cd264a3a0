// The installed files that name the supported devices agree with the
// supported-device table: the udev rule opens exactly the interfaces the
// program uses, and the AppStream metainfo offers the program for exactly the
// supported products. A new row in the table without its rule fails here.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "device_io/supported_devices.h"

namespace vandrel {
namespace {

std::vector<std::string> Lines(const std::string& path) {
    std::ifstream file(path);
    EXPECT_TRUE(file.is_open()) << path;
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) lines.push_back(line);
    return lines;
}

std::string Text(const std::string& path) {
    std::ifstream file(path);
    EXPECT_TRUE(file.is_open()) << path;
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

unsigned Hex(const std::string& digits) { return static_cast<unsigned>(std::stoul(digits, nullptr, 16)); }

using Interface = std::tuple<unsigned, unsigned, unsigned>;  // vendor, product, interface number
using Product = std::pair<unsigned, unsigned>;               // vendor, product

std::set<Interface> TableInterfaces() {
    std::set<Interface> interfaces;
    for (const auto& row : device_io::SupportedDeviceTable())
        interfaces.emplace(row.vendorId, row.productId, row.interfaceNumber);
    return interfaces;
}

std::set<Product> TableProducts() {
    std::set<Product> products;
    for (const auto& row : device_io::SupportedDeviceTable()) products.emplace(row.vendorId, row.productId);
    return products;
}

TEST(UdevRule, TagsExactlyTheInterfacesOfTheTable) {
    const std::vector<std::string> lines = Lines(VANDREL_SOURCE_DIR "/packaging/60-vandrel.rules");
    const std::regex tagLine(R"re(ENV\{ID_VENDOR_ID\}=="([0-9a-f]{4})", ENV\{ID_MODEL_ID\}=="([0-9a-f]{4})", )re"
                             R"re(ENV\{ID_USB_INTERFACE_NUM\}=="([0-9a-f]{2})", TAG\+="uaccess")re");
    std::set<Interface> tagged;
    std::size_t firstTag = lines.size();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].starts_with('#') || lines[i].find("uaccess") == std::string::npos) continue;
        std::smatch match;
        ASSERT_TRUE(std::regex_match(lines[i], match, tagLine)) << "a tag that is not for one interface: " << lines[i];
        EXPECT_TRUE(tagged.emplace(Hex(match[1]), Hex(match[2]), Hex(match[3])).second) << "twice: " << lines[i];
        firstTag = std::min(firstTag, i);
    }
    EXPECT_EQ(tagged, TableInterfaces());

    // The ids are read only for hidraw nodes, and only after usb_id set them.
    const auto lineOf = [&](const std::string& wanted) {
        return static_cast<std::size_t>(std::find(lines.begin(), lines.end(), wanted) - lines.begin());
    };
    EXPECT_LT(lineOf(R"(SUBSYSTEM!="hidraw", GOTO="vandrel_end")"), firstTag);
    EXPECT_LT(lineOf(R"(IMPORT{builtin}="usb_id")"), firstTag);
    const std::size_t end = lineOf(R"(LABEL="vandrel_end")");
    EXPECT_GT(end, firstTag);
    EXPECT_LT(end, lines.size());
}

TEST(Metainfo, OffersTheProgramForExactlyTheSupportedProducts) {
    const std::string text = Text(VANDREL_SOURCE_DIR "/packaging/org.vandrel.Vandrel.metainfo.xml");
    const std::regex modalias(R"(<modalias>usb:v([0-9A-F]{4})p([0-9A-F]{4})\*</modalias>)");
    std::set<Product> offered;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), modalias); it != std::sregex_iterator(); ++it)
        offered.emplace(Hex((*it)[1]), Hex((*it)[2]));
    EXPECT_EQ(offered, TableProducts());
    // Every modalias line has the form above: none is left out by the pattern.
    std::size_t count = 0;
    for (std::size_t at = text.find("<modalias>"); at != std::string::npos; at = text.find("<modalias>", at + 1))
        ++count;
    EXPECT_EQ(count, offered.size());
}

}  // namespace
}  // namespace vandrel
