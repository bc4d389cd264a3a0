// The skin: the folder of layout files, language files, pictures and the
// style sheet, "skin/" beside the program unless told otherwise.
//
// "res.xml" in it is the resource index: it gives layout keys their files,
//   <res>
//     <layout key="XML_MAIN" file="XML/MainWnd.xml"/>
//   </res>
// A layout asked for by a key the index does not know is looked up as a file
// name below "XML/", then below the skin folder itself.
#pragma once

#include <map>

#include <QString>

namespace vandrel::ui {

class Skin {
public:
    static Skin& Instance();

    // Sets the folder and reads its index; a missing index leaves it empty.
    void SetFolder(const QString& folder);
    const QString& Folder() const { return folder_; }  // ends in '/'

    // The path of a layout key or file name; empty when none exists.
    QString LayoutPath(const QString& keyOrFile) const;
    // A file of the skin (pictures, language files): folder + relative path.
    QString FilePath(const QString& relative) const;

    // The style sheet "style.qss" with "$SKIN/" replaced by the folder, or empty.
    QString StyleSheet() const;

private:
    QString folder_;
    std::map<QString, QString> index_;
};

// "skin/" beside the running executable, or the installed one.
QString DefaultSkinFolder();

}  // namespace vandrel::ui
