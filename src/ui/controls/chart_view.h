// CChartViewUI ("ChartView"): labelled values as a pie or a bar chart.
// Attributes: "view" ("pie", or "histpgram" for bars), "shadowimage" and
// "shadowimageheight" (a picture under the bars), "pillarimage" and
// "pillarimagewidth" (the picture and width of a bar), "showtext" (labels),
// "showhtml" (labels are rich text), "font" (a font description; the
// toolkit's font numbers are kept and leave the widget's font). Slices and
// bars without a picture take their colours from a fixed cycle of 18.
#pragma once

#include <cstddef>
#include <vector>

#include <QColor>
#include <QString>
#include <QVariant>
#include <QWidget>

class QPainter;

namespace vandrel::ui {

inline constexpr std::size_t kChartColourCount = 18;

// The colour of item index, cycling through the 18 chart colours.
QColor ChartColour(std::size_t index);

// The spans of the pie's slices in 1/16 degree (negative: clockwise), which
// together close the circle when any value is positive; negative values count
// as 0.
std::vector<int> PieSpans16(const std::vector<double>& values);

struct ChartItem {
    QString label;
    double value = 0.0;
};

class CChartViewUI : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString view READ View WRITE SetView)
    Q_PROPERTY(QString shadowimage READ ShadowImage WRITE SetShadowImage)
    Q_PROPERTY(int shadowimageheight READ ShadowImageHeight WRITE SetShadowImageHeight)
    Q_PROPERTY(QString pillarimage READ PillarImage WRITE SetPillarImage)
    Q_PROPERTY(int pillarimagewidth READ PillarImageWidth WRITE SetPillarImageWidth)
    Q_PROPERTY(bool showhtml READ ShowHtml WRITE SetShowHtml)
    Q_PROPERTY(bool showtext READ ShowText WRITE SetShowText)
    // Stands in for QWidget's "font" so that layouts may give a number.
    Q_PROPERTY(QVariant font READ FontAttribute WRITE SetFontAttribute)

public:
    explicit CChartViewUI(QWidget* parent = nullptr);

    void AddItem(const QString& label, double value);
    void RemoveAllItems();
    const std::vector<ChartItem>& Items() const { return items_; }

    bool IsHistogram() const;

    QString View() const { return view_; }
    void SetView(const QString& view);
    QString ShadowImage() const { return shadowImage_; }
    void SetShadowImage(const QString& description);
    int ShadowImageHeight() const { return shadowImageHeight_; }
    void SetShadowImageHeight(int height);
    QString PillarImage() const { return pillarImage_; }
    void SetPillarImage(const QString& description);
    int PillarImageWidth() const { return pillarImageWidth_; }
    void SetPillarImageWidth(int width);
    bool ShowHtml() const { return showHtml_; }
    void SetShowHtml(bool on);
    bool ShowText() const { return showText_; }
    void SetShowText(bool on);
    QVariant FontAttribute() const { return fontAttribute_; }
    void SetFontAttribute(const QVariant& font);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void PaintPie(QPainter& painter) const;
    void PaintBars(QPainter& painter) const;
    void PaintLabel(QPainter& painter, const QRect& box, const QString& label) const;

    std::vector<ChartItem> items_;
    QString view_ = QStringLiteral("pie");
    QString shadowImage_;
    int shadowImageHeight_ = 0;
    QString pillarImage_;
    int pillarImageWidth_ = 0;
    bool showHtml_ = false;
    bool showText_ = false;
    QVariant fontAttribute_;
};

}  // namespace vandrel::ui
