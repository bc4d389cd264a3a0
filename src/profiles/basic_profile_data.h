// The profile document a device owns: the device section (element 0 of
// "Device") of the current profile file, the paths of its files, and the
// records every device kind reads from the section and writes back into it.
//
// Calling order used by the devices: the template path once at construction;
// before each load the profile and light configuration paths, then Load,
// LoadLightConfig and the getters; after a change, the matching setter and
// Save. Every getter makes its result the current record and returns it.
//
// Load keeps the whole document of the file, and Save writes that document
// with the section in its place, without reading the file again: keys the
// program does not know, in the section and around it ("profilename",
// "profileUUID", ...), survive every save.
//
// Other writers of the same file. Save writes from memory only while the file
// on disk is the version this object last read or wrote (see
// file_identity.h) and the path and section index are those it last read
// or wrote.
// Otherwise it reads the document again and puts its section in, so a change
// another writer made around the section (a rename writes "profilename") is
// kept. A writer that replaces the section itself (a reset to the template)
// must be followed by Load, or the next Save puts this object's section back.
//
// A value of the wrong type reads as that value's default and never throws.
#pragma once

#include <json/json.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "profiles/file_identity.h"
#include "profiles/json_file_store.h"
#include "profiles/profile_records.h"

namespace vandrel::profiles {

class CBasicProfiledata {
public:
    // Sections beyond this index are refused (index 0 is the only one used).
    static constexpr int kMaxSectionIndex = 15;

    explicit CBasicProfiledata(CJsonFileStore store = CJsonFileStore());
    virtual ~CBasicProfiledata() = default;
    CBasicProfiledata(const CBasicProfiledata&) = default;
    CBasicProfiledata& operator=(const CBasicProfiledata&) = default;

    // Save the section into the profile file: the document of the last Load
    // with the section in its place (see above).
    virtual WriteStatus Save();
    // Store `section` as "Device"[section index] of the file at `path`
    // (read, change, write); the file's other keys survive.
    virtual WriteStatus SaveSection(const Json::Value& section, const std::string& path);
    // Save the other section (another profile's, see LoadOther) into `path`,
    // the way Save does.
    virtual WriteStatus SaveOther(const std::string& path);
    // Write `document` as the whole content of the file at `path`.
    virtual WriteStatus WriteDocument(const Json::Value& document, const std::string& path);

    // An empty path leaves the previous one.
    void SetProfilePath(const std::string& path);
    void SetTemplatePath(const std::string& path);
    const std::string& GetProfilePath() const { return profilePath_; }
    // Stores even an empty path.
    void SetLightConfigPath(const std::string& path) { lightConfigPath_ = path; }
    const std::string& GetLightConfigPath() const { return lightConfigPath_; }
    // 0 for an index outside 0..kMaxSectionIndex.
    void SetSectionIndex(int index);

    // Reads the section of the file at `path`. When the file has none, the
    // template's section is put into the file (creating it when missing,
    // keeping its other keys) and written at once. Returns the section.
    const Json::Value& Load(const std::string& path);
    // The same into the other section.
    const Json::Value& LoadOther(const std::string& path);
    // Reads the custom light configuration ("zelbor_light.config").
    const Json::Value& LoadLightConfig(const std::string& path);

    // "LightInfo"; the all-zero fallback when the section has none.
    LightInfo GetLightInfo();
    // Replaces "LightInfo" with the record given as four words.
    void SetLightInfo(std::uint32_t w0, std::uint32_t w1, std::uint32_t w2, std::uint32_t w3);

    // "AudioLightInfo"; all zero when the section has none.
    AudioLightInfo GetAudioLightInfo();
    void SetAudioLightInfo(std::uint32_t w0, std::uint32_t w1, std::uint32_t w2);

    // "LightList"; empty when the section has none.
    std::vector<LightListEntry> GetLightList();

    // The steps of the selected custom effect: the ".light" file named by the
    // effect's "Guid" in the light configuration, looked up in the folder of
    // the light configuration and then in the default data folder. Empty
    // when no custom effect is selected, the "Guid" is not a plain file name,
    // or no file is found.
    std::vector<EffectStep> GetEffectSteps();

    // "KeyList" of the section; empty when it has none.
    std::vector<KeyEntry> GetKeyList();
    // Writes the "Assignment" of element i from entry i ("DefaultAssignment"
    // stays as it is).
    void SetKeyList(const std::vector<KeyEntry>& keys);
    std::vector<KeyEntry> GetOtherKeyList();
    void SetOtherKeyList(const std::vector<KeyEntry>& keys);

    const Json::Value& Section() const { return section_; }
    const Json::Value& OtherSection() const { return otherSection_; }

protected:
    // The section, made an object first (a null section before the first
    // Load becomes an empty one).
    Json::Value& SectionForWrite();
    const CJsonFileStore& Store() const { return store_; }

private:
    // A file's document as this object last read or wrote it, with the
    // section taken out: the section lives in section_ (or otherSection_) and
    // is swapped into its place for each write.
    struct KeptDocument {
        Json::Value document;
        std::string path;
        int sectionIndex = 0;
        std::optional<FileIdentity> identity;  // of the file then; none: there was none
    };

    const Json::Value& LoadInto(Json::Value& section, KeptDocument& kept, const std::string& path);
    // Reads the file at `path` into `kept`; its section (null when it has none).
    Json::Value ReadKept(KeptDocument& kept, const std::string& path);
    WriteStatus SaveKept(Json::Value& section, KeptDocument& kept, const std::string& path);
    // Writes `kept` with `section` in its place.
    WriteStatus WriteKept(Json::Value& section, KeptDocument& kept);

    CJsonFileStore store_;
    std::string profilePath_;
    std::string templatePath_;
    std::string lightConfigPath_;
    std::string lightConfigFolder_;  // folder of the last light configuration loaded
    int customEffectBase_ = 0;       // built-in effects before the custom ones
    int sectionIndex_ = 0;

    LightInfo lightInfo_;
    LightInfo fallbackLightInfo_;
    AudioLightInfo audioLightInfo_;
    std::vector<LightListEntry> lightList_;
    std::vector<EffectStep> effectSteps_;
    std::vector<KeyEntry> keyList_;
    std::vector<KeyEntry> otherKeyList_;

    Json::Value section_;
    Json::Value otherSection_;
    KeptDocument document_;
    KeptDocument otherDocument_;
    Json::Value lightConfig_;
};

}  // namespace vandrel::profiles
