#include "browsing/webengine/dialogs.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QIdentityProxyModel>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSplitter>
#include <QStandardPaths>
#include <QVBoxLayout>

namespace browsing::webengine::dialogs {
namespace {

void plainBox(QMessageBox& box, const QString& caption, const QString& text, QMessageBox::Icon icon)
{
    box.setIcon(icon);
    box.setWindowTitle(caption);
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
}

// The file list's column titles in the program's language.
class FileColumns : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        static const char* const kTitles[] = {"名称", "大小", "类型", "修改日期"};
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < 4)
            return QString::fromUtf8(kTitles[section]);
        return QIdentityProxyModel::headerData(section, orientation, role);
    }
};

QLabel* plainLabel(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    return label;
}

}  // namespace

void tell(QWidget* parent, const QString& caption, const QString& text, QMessageBox::Icon icon)
{
    QMessageBox box(parent);
    plainBox(box, caption, text, icon);
    box.addButton(QStringLiteral("确定"), QMessageBox::AcceptRole);
    box.exec();
}

bool ask(QWidget* parent, const QString& caption, const QString& text, const QString& yes, const QString& no,
         QMessageBox::Icon icon, bool yesByDefault)
{
    QMessageBox box(parent);
    plainBox(box, caption, text, icon);
    QPushButton* yesButton = box.addButton(yes, QMessageBox::AcceptRole);
    QPushButton* noButton = box.addButton(no, QMessageBox::RejectRole);
    box.setDefaultButton(yesByDefault ? yesButton : noButton);
    box.setEscapeButton(noButton);
    box.exec();
    return box.clickedButton() == yesButton;
}

bool askText(QWidget* parent, const QString& caption, const QString& prompt, QString& value)
{
    QInputDialog dialog(parent);
    dialog.setWindowTitle(caption);
    dialog.setLabelText(prompt);
    if (auto* label = dialog.findChild<QLabel*>())
        label->setTextFormat(Qt::PlainText);
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setTextValue(value);
    dialog.setOkButtonText(QStringLiteral("确定"));
    dialog.setCancelButtonText(QStringLiteral("取消"));
    if (dialog.exec() != QDialog::Accepted)
        return false;
    value = dialog.textValue();
    return true;
}

std::optional<Credentials> logIn(QWidget* parent, const QString& server, const QString& realm, bool proxy)
{
    QDialog dialog(parent);
    dialog.setWindowTitle(proxy ? QStringLiteral("代理服务器需要登录") : QStringLiteral("需要登录"));
    auto* layout = new QVBoxLayout(&dialog);
    const QString who = proxy ? QStringLiteral("代理服务器 %1 要求输入用户名和密码。")
                              : QStringLiteral("服务器 %1 要求输入用户名和密码。");
    layout->addWidget(plainLabel(who.arg(server), &dialog));
    if (!realm.isEmpty())
        layout->addWidget(plainLabel(QStringLiteral("服务器提示：%1").arg(realm), &dialog));

    auto* form = new QFormLayout;
    auto* user = new QLineEdit(&dialog);
    auto* password = new QLineEdit(&dialog);
    password->setEchoMode(QLineEdit::Password);
    form->addRow(QStringLiteral("用户名(&U)："), user);
    form->addRow(QStringLiteral("密码(&P)："), password);
    layout->addLayout(form);

    auto* buttons = new QDialogButtonBox(&dialog);
    QPushButton* ok = buttons->addButton(QStringLiteral("登录"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
    ok->setDefault(true);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    dialog.setMinimumWidth(360);
    user->setFocus();

    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return Credentials{user->text(), password->text()};
}

void prepare(QFileDialog& dialog, const QString& caption)
{
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setWindowTitle(caption);
    dialog.setLabelText(QFileDialog::LookIn, QStringLiteral("查找范围："));
    dialog.setLabelText(QFileDialog::FileName, QStringLiteral("文件名(&N)："));
    dialog.setLabelText(QFileDialog::FileType, QStringLiteral("文件类型(&T)："));
    dialog.setLabelText(QFileDialog::Reject, QStringLiteral("取消"));
    dialog.setLabelText(QFileDialog::Accept, dialog.acceptMode() == QFileDialog::AcceptSave
                                                 ? QStringLiteral("保存(&S)")
                                                 : QStringLiteral("打开(&O)"));
    dialog.setNameFilter(QStringLiteral("所有文件 (*)"));
    dialog.setProxyModel(new FileColumns(&dialog));
    QList<QUrl> places;
    for (auto location : {QStandardPaths::HomeLocation, QStandardPaths::DesktopLocation,
                          QStandardPaths::DocumentsLocation, QStandardPaths::DownloadLocation}) {
        const QString path = QStandardPaths::writableLocation(location);
        const QUrl place = QUrl::fromLocalFile(path);
        if (!path.isEmpty() && QFileInfo(path).isDir() && !places.contains(place))
            places.append(place);
    }
    dialog.setSidebarUrls(places);
    // Room for the places' names beside the files.
    if (auto* splitter = dialog.findChild<QSplitter*>())
        splitter->setSizes({150, 500});
    dialog.setDirectory(QDir::homePath());
}

QString saveFileName(QWidget* parent, const QString& caption, const QString& suggested, const QStringList& filters,
                     QString* chosenFilter)
{
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // Replacing is confirmed below, in the program's language.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    prepare(dialog, caption);
    if (!filters.isEmpty())
        dialog.setNameFilters(filters);
    const QFileInfo start(suggested);
    dialog.setDirectory(start.absolutePath());
    dialog.selectFile(start.fileName());

    for (;;) {
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return {};
        const QString path = dialog.selectedFiles().constFirst();
        const QFileInfo chosen(path);
        if (chosen.isDir())
            continue;
        if (chosen.exists() || chosen.isSymLink()) {
            const QString question = QStringLiteral("“%1”已存在。\n要替换它吗？").arg(chosen.fileName());
            if (!ask(&dialog, QStringLiteral("确认另存为"), question, QStringLiteral("是(&Y)"), QStringLiteral("否(&N)"),
                     QMessageBox::Warning))
                continue;
        }
        if (chosenFilter)
            *chosenFilter = dialog.selectedNameFilter();
        return path;
    }
}

}  // namespace browsing::webengine::dialogs
