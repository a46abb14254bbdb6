#include "gui/main_window.h"

#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTextCursor>
#include <QUrl>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <QWindow>

#include "app/window_events.h"
#include "download/download_start.h"
#include "gui/qt_window.h"
#include "gui/result_view_page.h"
#include "gui/window_style.h"
#include "search/result_page.h"
#include "search/search_run.h"
#include "text/encoding.h"
#include "update/update_check.h"

namespace pel {

namespace {

constexpr int kWindowAlpha = 246;

// The form's texts use CR LF; Qt's controls break lines at LF alone.
QString displayText(const QString& text) {
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return shown;
}

QString fromGbk(const Text& gbkText) {
    return displayText(QString::fromStdString(gbkToUtf8(gbkText)));
}

Text toGbk(const QString& text) {
    return gbk(text.toStdString());
}

}  // namespace

MainWindow::MainWindow(AppState& app, QtWindow& mirror)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint),
      app_(app),
      mirror_(mirror),
      systemMove_([](QWindow& handle) { handle.startSystemMove(); }),
      profile_(std::make_unique<QWebEngineProfile>()),  // off the record: nothing kept
      page_(std::make_unique<ResultViewPage>(app, profile_.get())) {
    const ControlSpec& row = controlSpec(Control::MainWindow);
    setObjectName(QString::fromUtf8(row.name));
    setGeometry(row.left, row.top, row.width, row.height);
    setFixedSize(row.width, row.height);
    setWindowTitle(QStringLiteral("Pelnoria"));
    setWindowOpacity(kWindowAlpha / 255.0);
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(windowStyleSheet());
    buildControls();
    styleControls(*this);
    connectHandlers();
}

MainWindow::~MainWindow() = default;

QWidget* MainWindow::control(Control id) const {
    if (id == Control::MainWindow)
        return const_cast<MainWindow*>(this);
    return controls_[static_cast<int>(id)].get();
}

QWebEngineView* MainWindow::htmlView() const {
    return static_cast<QWebEngineView*>(control(Control::HtmlView));
}

void MainWindow::setSystemMove(std::function<void(QWindow&)> move) {
    systemMove_ = std::move(move);
}

void MainWindow::buildControls() {
    for (const ControlSpec& row : formControls()) {
        if (row.id == Control::MainWindow)
            continue;
        QWidget* parent = control(row.parent);
        const QString text = displayText(QString::fromUtf8(row.initialText));
        std::unique_ptr<QWidget> widget;
        switch (row.kind) {
            case ControlKind::Label:
            case ControlKind::TransparentLabel:
            case ControlKind::PictureBox: {
                auto label = std::make_unique<QLabel>(parent);
                label->setTextFormat(Qt::PlainText);  // scraped texts are never markup
                label->setText(text);
                widget = std::move(label);
                break;
            }
            case ControlKind::EditBox:
                widget = std::make_unique<QLineEdit>(text, parent);
                break;
            case ControlKind::MultiLineEdit:
                widget = std::make_unique<QPlainTextEdit>(text, parent);
                break;
            case ControlKind::HtmlView: {
                auto view = std::make_unique<QWebEngineView>(parent);
                view->setPage(page_.get());
                view->setContextMenuPolicy(Qt::NoContextMenu);
                widget = std::move(view);
                break;
            }
            case ControlKind::Button:
                widget = std::make_unique<QPushButton>(text, parent);
                break;
            case ControlKind::Window:
                break;
        }
        widget->setObjectName(QString::fromUtf8(row.name));
        widget->setGeometry(row.left, row.top, row.width, row.height);
        widget->setVisible(row.initiallyVisible);
        controls_[static_cast<int>(row.id)] = std::move(widget);
    }
    // Stacking: the disclaimer covers the detail area and the strip; the progress frame lies
    // over the search box, and the status text over both.
    control(Control::DisclaimerLabel)->raise();
    control(Control::ProgressFrame)->raise();
    control(Control::StatusLabel)->raise();
    control(Control::StatusLabel)->setAttribute(Qt::WA_TransparentForMouseEvents);
}

void MainWindow::connectHandlers() {
    auto button = [this](Control id) { return static_cast<QPushButton*>(control(id)); };
    connect(button(Control::SearchButton), &QPushButton::clicked, this,
            [this] { startSearch(app_); });
    connect(button(Control::DownloadButton), &QPushButton::clicked, this,
            [this] { startDownload(app_); });
    connect(button(Control::ExitButton), &QPushButton::clicked, this, &QWidget::close);

    // What the user types goes into the mirror, so that the routines reading a box see it.
    // textEdited fires for user edits only: a queued write being applied must not overwrite
    // a newer value in the mirror.
    for (Control id :
         {Control::NameBox, Control::AuthorBox, Control::LatestBox, Control::SearchBox}) {
        connect(static_cast<QLineEdit*>(control(id)), &QLineEdit::textEdited, this,
                [this, id](const QString& text) { mirror_.recordUserText(id, toGbk(text)); });
    }

    // Enter (Return or the keypad's Enter) in the search box; the box still gets the key.
    connect(static_cast<QLineEdit*>(control(Control::SearchBox)), &QLineEdit::returnPressed, this,
            [this] { onSearchBoxKey(app_, kEnterKeyCode); });
    control(Control::SearchBox)->installEventFilter(this);
    control(Control::TitleLabel)->installEventFilter(this);
    control(Control::DisclaimerLabel)->installEventFilter(this);

    connect(page_.get(), &QWebEnginePage::loadFinished, this, [this](bool ok) {
        // A refused navigation also ends in loadFinished(false): only a real load counts.
        if (ok)
            onNavigateComplete(app_);
    });
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == control(Control::SearchBox)) {
        switch (event->type()) {
            case QEvent::FocusIn:
                onSearchBoxFocusIn(app_);
                break;
            case QEvent::FocusOut:
                onSearchBoxFocusOut(app_);
                break;
            default:
                break;
        }
        return false;
    }
    if (event->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (watched == control(Control::TitleLabel)) {
            if (QWindow* handle = windowHandle())
                systemMove_(*handle);
            return true;
        }
        if (watched == control(Control::DisclaimerLabel)) {
            openUpdateLink(app_);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void MainWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (created_)
        return;
    created_ = true;
    // Once, after the window is on screen: the creation handler writes to its controls.
    QMetaObject::invokeMethod(
        this, [this] { onWindowCreated(app_); }, Qt::QueuedConnection);
}

void MainWindow::applyWrite(const PropertyWrite& write) {
    QWidget* widget = control(write.control);
    if (widget == nullptr)
        return;
    switch (write.property) {
        case Property::Text:
            applyText(write.control, fromGbk(write.text));
            break;
        case Property::Visible:
            widget->setVisible(write.number != 0);
            break;
        case Property::Width:
            widget->resize(std::max(0, write.number), widget->height());
            break;
        case Property::Picture:
            applyPicture(write.control, write.bytes);
            break;
        case Property::Cursor:
            widget->setCursor(write.number == static_cast<int>(Cursor::Hand)
                                  ? Qt::PointingHandCursor
                                  : Qt::ArrowCursor);
            break;
        case Property::Alignment: {
            const auto alignment = static_cast<Alignment>(write.number);
            if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
                edit->setAlignment(
                    (alignment == Alignment::Center ? Qt::AlignHCenter : Qt::AlignLeft) |
                    Qt::AlignVCenter);
            } else if (write.control == Control::IntroBox) {
                introAlignment_ = alignment;
                applyIntroAlignment();
            }
            break;
        }
        case Property::Address:
            if (write.control == Control::HtmlView) {
                htmlView()->load(QUrl::fromLocalFile(QString::fromStdString(write.text)));
            }
            break;
    }
}

void MainWindow::applyText(Control id, const QString& text) {
    QWidget* widget = control(id);
    if (id == Control::MainWindow) {
        setWindowTitle(text);
    } else if (auto* label = qobject_cast<QLabel*>(widget)) {
        label->setText(text);
    } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        edit->setText(text);
        // setText leaves the cursor at the end, which scrolls a text wider than the box to
        // its tail; a name, an author or a chapter title reads from its beginning.
        edit->setCursorPosition(0);
    } else if (auto* box = qobject_cast<QPlainTextEdit*>(widget)) {
        box->setPlainText(text);
        applyIntroAlignment();  // the alignment belongs to the box, not to one text
    } else if (auto* button = qobject_cast<QPushButton*>(widget)) {
        button->setText(text);
    }
}

void MainWindow::applyPicture(Control id, const Bytes& bytes) {
    auto* label = qobject_cast<QLabel*>(control(id));
    if (label == nullptr)
        return;
    QPixmap pixmap;
    if (bytes.empty() || !pixmap.loadFromData(reinterpret_cast<const uchar*>(bytes.data()),
                                              static_cast<uint>(bytes.size()))) {
        label->clear();
        return;
    }
    // Covers come in any size: shrink a large one to the box, keep a small one as it is.
    if (pixmap.width() > label->width() || pixmap.height() > label->height()) {
        pixmap = pixmap.scaled(label->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }
    label->setPixmap(pixmap);
}

void MainWindow::applyIntroAlignment() {
    auto* box = static_cast<QPlainTextEdit*>(control(Control::IntroBox));
    const Qt::Alignment align =
        introAlignment_ == Alignment::Center ? Qt::AlignHCenter : Qt::AlignLeft;
    QTextDocument* doc = box->document();
    QTextOption option = doc->defaultTextOption();
    option.setAlignment(align);
    doc->setDefaultTextOption(option);
    QTextCursor cursor(doc);
    cursor.select(QTextCursor::Document);
    QTextBlockFormat format;
    format.setAlignment(align);
    cursor.mergeBlockFormat(format);
}

}  // namespace pel
