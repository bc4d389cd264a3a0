// Feeds arbitrary bytes as a profile file (and as a profile list, a template,
// a light configuration and an import) through loading, every reader, every
// writer and saving. Nothing may crash, throw or leave the scratch folder.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <system_error>

#include "../tests/support/fake_page_view.h"
#include "fuzz_scratch.h"
#include "platform/folders.h"
#include "profiles/da6533_profile_data.h"
#include "profiles/device_profile_ui.h"
#include "profiles/keyboard_profile_data.h"
#include "profiles/light_names.h"
#include "profiles/mouse_profile_data.h"
#include "profiles/utf_text.h"

namespace {

using namespace vandrel::profiles;
namespace fs = std::filesystem;

using vandrel::fuzz::Scratch;
using vandrel::fuzz::WriteFile;

template <typename T>
T Loaded(const std::string& path) {
    T profile;
    profile.SetTemplatePath(path);
    profile.SetProfilePath(path);
    profile.Load(path);
    profile.LoadOther(path);
    profile.LoadLightConfig(path);
    return profile;
}

void ExerciseBase(CBasicProfiledata& profile) {
    const LightInfo light = profile.GetLightInfo();
    const AudioLightInfo audio = profile.GetAudioLightInfo();
    profile.GetLightList();
    profile.GetEffectSteps();
    const std::vector<KeyEntry> keys = profile.GetKeyList();
    profile.GetOtherKeyList();
    const LightWords words = ToWords(light);
    profile.SetLightInfo(words[0], words[1], words[2], words[3]);
    const AudioLightWords audioWords = ToWords(audio);
    profile.SetAudioLightInfo(audioWords[0], audioWords[1], audioWords[2]);
    profile.SetKeyList(keys);
    profile.SetOtherKeyList(keys);
}

void ExerciseDocuments(const std::string& path) {
    CMouseProfiledata mouse = Loaded<CMouseProfiledata>(path);
    ExerciseBase(mouse);
    mouse.SetDpiStages(mouse.GetDpiStages());
    mouse.SetActiveStage(mouse.GetActiveStage());
    const SystemWords mouseSystem = mouse.GetMouseSystem();
    mouse.SetMouseSystem(mouseSystem[0], mouseSystem[1], mouseSystem[2]);
    mouse.GetCorrections();
    // The saves run the writer over what was read; whether the disk took the
    // file is no finding of the fuzzer.
    static_cast<void>(mouse.Save());
    static_cast<void>(mouse.SaveOther(path));

    CKeyboardProfiledata keyboard = Loaded<CKeyboardProfiledata>(path);
    ExerciseBase(keyboard);
    const SystemWords keyboardSystem = keyboard.GetKeyboardSystem();
    keyboard.SetKeyboardSystem(keyboardSystem[0], keyboardSystem[1], keyboardSystem[2]);
    const int group = keyboard.GetColorGroup();
    keyboard.SetKeyColors(group, keyboard.GetKeyColors(group, 126));
    keyboard.SetKeyColors(keyboard.GetLightInfo().CustomGroup,
                          keyboard.GetKeyColors(keyboard.GetLightInfo().CustomGroup, 8));
    keyboard.SetColorGroup(group);
    static_cast<void>(keyboard.Save());

    CDa6533Profiledata headset = Loaded<CDa6533Profiledata>(path);
    ExerciseBase(headset);
    const HeadsetSystem system = headset.GetHeadsetSystem();
    headset.SetHeadsetSystem(system);
    headset.SetPresetCurve(system[2], headset.GetPresetCurve(system[2]));
    headset.SetCustomCurve(system[3], headset.GetCustomCurve(system[3]));
    headset.SetCustomNames(headset.GetCustomNames());
    static_cast<void>(headset.Save());

    LightNames names;
    for (int kind = -1; kind < 5; ++kind) UpdateLightNames(names, mouse.Section(), mouse.Section(), kind);
}

void ExerciseProfileList(const std::string& folder, const std::string& input) {
    const std::string user = folder + "user/";
    fs::remove_all(user);
    fs::create_directories(user);
    fs::copy_file(input, user + "ProfileList.ini");

    vandrel::testing::FakePageView view{"device_profile_combo", "device_profile_name_edit", "profile_menu_layout"};
    CDeviceProfileUI list(view);
    list.SetDeviceKind(kKindHeadset);
    list.SetPaths(user, input);
    list.InitProfiles();
    list.AddProfile();
    list.CopyProfile();
    list.ImportProfile(input);
    list.SelectProfileEntry(list.ProfileCount() - 1);
    list.RenameProfile(FromUtf8(list.ProfilePath(0)));
    list.ExportProfile(folder + "exported.json");
    list.ResetProfile();
    list.DeleteProfile();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string folder = Scratch();
    const std::string input = folder + "input.Json";

    ToUtf8(FromUtf8(bytes));
    WriteFile(input, bytes);
    ExerciseProfileList(folder, input);
    WriteFile(input, bytes);
    ExerciseDocuments(input);
    return 0;
}
