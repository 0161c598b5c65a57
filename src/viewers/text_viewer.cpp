#include "viewers/text_viewer.h"

#include "storage/file_ops.h"
#include "storage/gbk.h"
#include "ui/controls.h"
#include "ui/fonts.h"
#include "ui/geometry.h"
#include "ui/hyperlink.h"
#include "ui/message_box.h"
#include "ui/text.h"
#include "ui/user_settings.h"

#include <QClipboard>
#include <QDir>
#include <QGuiApplication>

namespace ui {

TextViewer::TextViewer(QWidget* owner, const QString& caption) : Window(owner, QStringLiteral("readtxt"), caption) {
    createControls();
    orderTabs();
    Form_Load();
}

void TextViewer::createControls() {
    Frame2 = ui::makeFrame(this, QStringLiteral("Frame2"), QString(), 112, 45, 9180, 4650);
    Text1 = ui::makeMemo(Frame2, QStringLiteral("Text1"), 135, 225, 8895, 4305);
    Text1->setFont(ui::simSun9());
    Text1->setTabChangesFocus(true);
    QPalette pal = Text1->palette();
    pal.setColor(QPalette::Base, pal.color(QPalette::Button));
    pal.setColor(QPalette::Text, Qt::black);
    Text1->setPalette(pal);
    Command1 = ui::makeButton(this, QStringLiteral("Command1"), QStringLiteral("拷贝"), 7050, 4980, 960, 330);
    Command1->setFont(ui::simSun9());
    addChrome({.clientWidth = 9408,
               .clientHeight = 5448,
               .banner = {210, 5000, 3030, 240},
               .bannerTop = 5000,
               .closeName = QStringLiteral("Command2"),
               .closeButton = {8250, 4980, 960, 330}});
    Command2 = chromeCloseButton();
    Hyperlink1 = chromeBanner();
    connect(Command1, &QPushButton::clicked, this, &TextViewer::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &QDialog::close);
}

void TextViewer::orderTabs() { setFocusOrder({Text1, Command2, Hyperlink1, Command1}); }

void TextViewer::Form_Load() {
    loadChrome();
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(192, 192, 192));
    setPalette(pal);
}

void TextViewer::showEvent(QShowEvent* event) {
    Window::showEvent(event);
    Text1->setFocus();
}

void TextViewer::Command1_Click() {
    QGuiApplication::clipboard()->setText(Text1->toPlainText());
    ui::showMessage(this, QStringLiteral("上面的文本已拷贝到剪贴板"), QStringLiteral("拷贝成功"),
                    ui::MessageStyle::Plain);
}

namespace {

// Creates the missing file with its one-line notice where it can. A link
// standing for the file that leads out of its folder is not written
// through; the returned line says so (empty otherwise).
QString createWithNotFoundMarker(const std::filesystem::path& file, const QString& marker) {
    const auto bytes = pumpsel::gbk::fromUtf8((marker + QStringLiteral("\r\n")).toStdString());
    if (!bytes) return {};
    const pumpsel::Outcome written = pumpsel::files::writeFile(file, *bytes);
    if (written.failure == pumpsel::Failure::LinkLeadsOut)
        return nativePath(file) + QStringLiteral("是指向所在文件夹以外的链接，没有写入。\n");
    return {};
}

// Each line is followed by a break. Every 128th break ends a paragraph; the
// others are line separators inside it. A text box takes a few thousand
// paragraphs at once where a quarter of a million, one per line, would take
// seconds; its plain text reads the same either way.
QString boxText(std::string_view gbkBytes) {
    pumpsel::gbk::LineBreaks breaks{QChar::LineSeparator, u'\n', 128};
    QString text(static_cast<qsizetype>(gbkBytes.size()) + 1, Qt::Uninitialized);
    char16_t* const units = reinterpret_cast<char16_t*>(text.data());
    std::size_t length = pumpsel::gbk::decodeInto(gbkBytes, units, &breaks);
    if (!gbkBytes.empty() && gbkBytes.back() != '\n' && gbkBytes.back() != '\r') units[length++] = breaks.next();
    text.truncate(static_cast<qsizetype>(length));
    return text;
}

}  // namespace

QString viewerText(const std::filesystem::path& file) {
    const QString notFound = nativePath(file) + QStringLiteral("文件不存在。");
    // Reads keep to the folder as writes do: a help text that links out of
    // the catalogue does not show /etc/passwd or the environment. (A link
    // to nothing is a missing file, which is not created through it either.)
    std::error_code ec;
    if (pumpsel::files::linkLeadsOut(file) && std::filesystem::exists(file, ec))
        return notFound + QLatin1Char('\n') + nativePath(file) +
               QStringLiteral("是指向所在文件夹以外的链接，没有读取。\n");
    std::string bytes;
    switch (pumpsel::files::readWholeFile(file, bytes)) {
        case pumpsel::files::ReadStatus::Ok:
            break;
        case pumpsel::files::ReadStatus::Missing:
            // Shown all the same when the file cannot be created (a missing folder).
            return notFound + QLatin1Char('\n') + createWithNotFoundMarker(file, notFound);
        case pumpsel::files::ReadStatus::NotAFile:
        case pumpsel::files::ReadStatus::Unreadable:
        case pumpsel::files::ReadStatus::TooLarge:
        case pumpsel::files::ReadStatus::NoMemory:
            return nativePath(file) + QStringLiteral("无法读取。\n");
    }
    return boxText(bytes);
}

void ShowTextFile(QWidget* owner, const QString& caption, const std::filesystem::path& file) {
    QSettings settings(QSettings::UserScope, kSettingsOrganisation, kSettingsApplication);
    settings.setValue(QStringLiteral("Readtxt/filename"), nativePath(file));
    TextViewer viewer(owner, caption);
    viewer.Text1->setPlainText(viewerText(file));
    viewer.exec();
}

}  // namespace ui
