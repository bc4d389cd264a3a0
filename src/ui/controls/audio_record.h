// CAudioRecordUI ("AudioRecord"): a label that shows 500 sound levels as a
// bar graph: the background colour, then one-pixel black bars two pixels
// apart from the left edge, as many as fit, each rising from the bottom by
// level x height / 8192. The levels start as 0, 1, 2 ... 255 and then 0.
#pragma once

#include <array>
#include <vector>

#include <QLabel>
#include <QRect>
#include <QSize>
#include <QString>

namespace vandrel::ui {

inline constexpr std::size_t kAudioLevelCount = 500;
using AudioLevels = std::array<int, kAudioLevelCount>;

AudioLevels InitialAudioLevels();

// The bars of the levels in a control of this size, left to right.
std::vector<QRect> AudioRecordBars(const AudioLevels& levels, QSize size);

class CAudioRecordUI : public QLabel {
    Q_OBJECT
    // The background colour, 0xAARRGGBB; the palette's when unset.
    Q_PROPERTY(QString bkcolor READ BkColorText WRITE SetBkColorText)

public:
    explicit CAudioRecordUI(QWidget* parent = nullptr);

    const AudioLevels& Levels() const { return levels_; }

    QString BkColorText() const { return bkColorText_; }
    void SetBkColorText(const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    AudioLevels levels_ = InitialAudioLevels();
    QString bkColorText_;
    QColor bkColor_;
};

}  // namespace vandrel::ui
