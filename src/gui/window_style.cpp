#include "gui/window_style.h"

#include <QFont>
#include <QFontDatabase>
#include <QLabel>

#include "core/form.h"
#include "gui/main_window.h"

namespace pel {

namespace {

bool hasFamily(const QString& family) {
    return QFontDatabase::hasFamily(family);
}

QString uiFamily() {
    for (const char* name : {"微软雅黑", "Microsoft YaHei"}) {
        if (hasFamily(QString::fromUtf8(name)))
            return QString::fromUtf8(name);
    }
    return QStringLiteral("Noto Sans CJK SC");
}

// 20 px bold: title, disclaimer, status label, search box and buttons.
QFont boldFont() {
    QFont font(uiFamily());
    font.setPixelSize(20);
    font.setWeight(QFont::Bold);
    return font;
}

// The light face at 16 px (captions and detail boxes) or 14 px (the introduction box).
QFont lightFont(int pixelSize) {
    QString family = uiFamily();
    for (const char* name : {"微软雅黑 Light", "Microsoft YaHei Light"}) {
        if (hasFamily(QString::fromUtf8(name)))
            family = QString::fromUtf8(name);
    }
    QFont font(family);
    font.setPixelSize(pixelSize);
    font.setWeight(static_cast<QFont::Weight>(290));
    return font;
}

const char* const kGold = "rgb(192,178,137)";
const char* const kNavy = "rgb(2,22,30)";
const char* const kCaptionText = "rgb(163,143,86)";
const char* const kCaptionBack = "rgb(30,35,40)";
const char* const kFill = "rgb(3,37,50)";

QString sheet(const char* type, const char* color, const char* background, const char* extra = "") {
    return QStringLiteral("%1 { color: %2; background-color: %3; %4 }")
        .arg(QLatin1String(type), QLatin1String(color), QLatin1String(background),
             QLatin1String(extra));
}

}  // namespace

QString windowStyleSheet() {
    return QStringLiteral("pel--MainWindow { background-color: %1; }")
        .arg(QLatin1String(kCaptionBack));
}

void styleControls(const MainWindow& window) {
    const QFont bold = boldFont();
    const QFont light = lightFont(16);
    auto control = [&window](Control id) { return window.control(id); };
    auto label = [&window](Control id) { return static_cast<QLabel*>(window.control(id)); };

    for (Control id : {Control::TitleLabel, Control::DisclaimerLabel}) {
        label(id)->setFont(bold);
        label(id)->setStyleSheet(sheet("QLabel", kGold, kNavy));
    }
    label(Control::TitleLabel)->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    label(Control::TitleLabel)->setIndent(16);
    label(Control::DisclaimerLabel)->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    for (Control id : {Control::Label1, Control::Label2, Control::Label3, Control::Label4}) {
        label(id)->setFont(light);
        label(id)->setStyleSheet(sheet("QLabel", kCaptionText, kCaptionBack));
        label(id)->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    }

    const QString editSheet =
        sheet("QLineEdit", kGold, kNavy, "border: 1px solid rgb(3,37,50); padding: 0 4px;");
    for (Control id : {Control::NameBox, Control::AuthorBox, Control::LatestBox}) {
        control(id)->setFont(light);
        control(id)->setStyleSheet(editSheet);
    }
    control(Control::SearchBox)->setFont(bold);
    control(Control::SearchBox)->setStyleSheet(editSheet);
    control(Control::IntroBox)->setFont(lightFont(14));
    control(Control::IntroBox)
        ->setStyleSheet(sheet("QPlainTextEdit", kGold, kNavy, "border: 1px solid rgb(3,37,50);"));

    for (Control id : {Control::CoverBox, Control::ViewFrame, Control::ProgressFrame}) {
        label(id)->setStyleSheet(sheet("QLabel", kGold, kNavy));
        label(id)->setAlignment(Qt::AlignCenter);
    }
    label(Control::ProgressFill)->setStyleSheet(sheet("QLabel", kGold, kFill));
    label(Control::StatusLabel)->setFont(bold);
    label(Control::StatusLabel)->setStyleSheet(sheet("QLabel", kGold, "transparent"));
    label(Control::StatusLabel)->setAlignment(Qt::AlignCenter);

    const QString buttonSheet =
        sheet("QPushButton", kGold, kNavy, "border: 1px solid rgb(3,37,50);") +
        sheet("QPushButton:hover", kGold, kFill) +
        sheet("QPushButton:pressed", kCaptionText, kNavy);
    for (Control id : {Control::SearchButton, Control::DownloadButton, Control::ExitButton}) {
        control(id)->setFont(bold);
        control(id)->setStyleSheet(buttonSheet);
    }
}

}  // namespace pel
