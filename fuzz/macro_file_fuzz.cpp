// Feeds arbitrary bytes as a macro event file (and as a macro list) through
// reading, the event rows, the device records, the image and saving. Nothing
// may crash, throw or leave the scratch folder, every event read must be in
// range, and an image must decode back to the events it was made of.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "fuzz_scratch.h"
#include "macros/macro_control.h"
#include "macros/macro_file.h"
#include "macros/macro_image.h"
#include "macros/macro_list.h"
#include "sim/sim_macro_image.h"

namespace {

using namespace vandrel::macros;
namespace fs = std::filesystem;

using vandrel::fuzz::Scratch;
using vandrel::fuzz::WriteFile;

void ExerciseEventFile(const std::string& folder, std::string_view bytes) {
    WriteFile(folder + "m.mac", bytes);
    const MacroFile file = ReadMacroFile(folder + "m.mac");
    for (const MacroEvent& event : file.events) {
        if (event.type > 0x7F) std::abort();
        const EventRecord record = EventToBytes(event);
        if ((record[2] & 0x80) != (event.down ? 0x80 : 0) || EventFromJson(EventToJson(event)) != event) std::abort();
        // The row the macro panel shows: name, action and the delay it saves back.
        const vandrel::platform::ListRow row = EventRow(event);
        if (row.cells.size() != 3 || DelayFromText(row.cells[2].text) != event.delay) std::abort();
    }
    const MacroImage image = BuildMacroImage(std::vector{file.events, file.events}, MacroCapacity(255));
    if (image.result == kMacrosSent && !image.bytes.empty() && !vandrel::sim::DecodeMacroImage(image.bytes))
        std::abort();
    // Names with broken UTF-8 are repaired on the way out; the events come back as they were.
    if (WriteMacroFile(folder + "saved.mac", file) == vandrel::profiles::WriteStatus::Ok &&
        ReadMacroFile(folder + "saved.mac").events != file.events)
        std::abort();
}

void ExerciseList(const std::string& folder, std::string_view bytes) {
    const std::string user = folder + "user/";
    fs::remove_all(user);
    fs::create_directories(user);
    WriteFile(user + "macro.config", bytes);
    CMacroList list(user);
    list.Load();
    std::vector<std::uint8_t> used;
    for (std::size_t i = 0; i < list.Size() && i < 256; ++i) used.push_back(static_cast<std::uint8_t>(i));
    static_cast<void>(MacroImageFromFolder(user, used, MacroCapacity(255)));
    list.Add();
    static_cast<void>(list.Rename(0, "renamed"));
    static_cast<void>(list.SaveEvents(0, {}));
    static_cast<void>(list.Delete(0));
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name != "user" && name != "m.mac" && name != "saved.mac") std::abort();  // something left the folder
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string folder = Scratch();
    ExerciseEventFile(folder, bytes);
    ExerciseList(folder, bytes);
    return 0;
}
