#include "browsing/webengine/contextmenu.h"

#include <QAction>
#include <QMenu>
#include <QWebEngineContextMenuRequest>
#include <QWebEngineView>

namespace browsing::webengine::contextmenu {
namespace {

using Page = QWebEnginePage;
constexpr Page::WebAction kSeparator = Page::NoWebAction;

struct ActionText {
    Page::WebAction action;
    const char* text;
};

constexpr ActionText kTexts[] = {
    {Page::Back, "后退(&B)"},
    {Page::Forward, "前进(&F)"},
    {Page::Reload, "重新加载(&R)"},
    {Page::Stop, "停止(&S)"},
    {Page::Cut, "剪切(&T)"},
    {Page::Copy, "复制(&C)"},
    {Page::Paste, "粘贴(&P)"},
    {Page::Undo, "撤销(&U)"},
    {Page::Redo, "重做(&R)"},
    {Page::SelectAll, "全选(&A)"},
    {Page::PasteAndMatchStyle, "粘贴为纯文本(&M)"},
    {Page::OpenLinkInThisWindow, "打开链接(&O)"},
    {Page::CopyLinkToClipboard, "复制链接地址(&L)"},
    {Page::DownloadLinkToDisk, "链接另存为(&K)…"},
    {Page::CopyImageToClipboard, "复制图片(&Y)"},
    {Page::CopyImageUrlToClipboard, "复制图片地址(&D)"},
    {Page::DownloadImageToDisk, "图片另存为(&V)…"},
    {Page::CopyMediaUrlToClipboard, "复制媒体地址(&D)"},
    {Page::ToggleMediaControls, "显示控件(&W)"},
    {Page::ToggleMediaLoop, "循环播放(&L)"},
    {Page::ToggleMediaPlayPause, "播放/暂停(&P)"},
    {Page::ToggleMediaMute, "静音(&M)"},
    {Page::DownloadMediaToDisk, "媒体另存为(&V)…"},
    {Page::SavePage, "另存为(&A)…"},
    {Page::ExitFullScreen, "退出全屏(&X)"},
};

Target targetOf(const QWebEngineContextMenuRequest& request)
{
    Target target;
    target.link = request.linkUrl().isValid() && !request.linkUrl().isEmpty();
    target.image = request.mediaType() == QWebEngineContextMenuRequest::MediaTypeImage;
    target.media = request.mediaType() == QWebEngineContextMenuRequest::MediaTypeVideo
                   || request.mediaType() == QWebEngineContextMenuRequest::MediaTypeAudio;
    target.editable = request.isContentEditable();
    target.selection = !request.selectedText().isEmpty();
    return target;
}

void append(std::vector<Page::WebAction>& to, std::initializer_list<Page::WebAction> actions)
{
    if (!to.empty())
        to.push_back(kSeparator);
    to.insert(to.end(), actions);
}

}  // namespace

bool isPageMenu(const Target& t) { return !t.link && !t.image && !t.media && !t.editable && !t.selection; }

std::vector<Page::WebAction> actionsFor(const Target& t)
{
    std::vector<Page::WebAction> actions;
    if (t.link)
        append(actions, {Page::OpenLinkInThisWindow, Page::CopyLinkToClipboard, Page::DownloadLinkToDisk});
    if (t.image)
        append(actions, {Page::DownloadImageToDisk, Page::CopyImageToClipboard, Page::CopyImageUrlToClipboard});
    if (t.media)
        append(actions, {Page::ToggleMediaPlayPause, Page::ToggleMediaMute, Page::ToggleMediaLoop,
                         Page::ToggleMediaControls, Page::CopyMediaUrlToClipboard, Page::DownloadMediaToDisk});
    if (t.editable) {
        append(actions, {Page::Undo, Page::Redo});
        append(actions, {Page::Cut, Page::Copy, Page::Paste, Page::PasteAndMatchStyle});
        append(actions, {Page::SelectAll});
    } else if (t.selection) {
        append(actions, {Page::Copy});
    }
    if (isPageMenu(t)) {
        append(actions, {Page::Back, Page::Forward, Page::Reload});
        append(actions, {Page::SelectAll, Page::SavePage});
    }
    return actions;
}

void nameActions(QWebEnginePage* page)
{
    for (const ActionText& entry : kTexts)
        page->action(entry.action)->setText(QString::fromUtf8(entry.text));
}

void show(QWebEngineView* view, const QPoint& position, const std::function<void(QMenu&)>& addOwn)
{
    const QWebEngineContextMenuRequest* request = view->lastContextMenuRequest();
    QWebEnginePage* page = view->page();
    if (!request || !page)
        return;
    const Target target = targetOf(*request);
    auto* menu = new QMenu(view);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    for (Page::WebAction action : actionsFor(target)) {
        if (action == kSeparator)
            menu->addSeparator();
        else
            menu->addAction(page->action(action));
    }
    if (isPageMenu(target) && addOwn)
        addOwn(*menu);
    menu->popup(view->mapToGlobal(position));
}

}  // namespace browsing::webengine::contextmenu
