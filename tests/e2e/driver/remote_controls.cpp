#include "driver/remote_controls.h"

#include <commctrl.h>

#include <cwchar>
#include <memory>

namespace {

constexpr UINT sendTimeoutMs = 5000;

LRESULT sendWithTimeout(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, sendTimeoutMs, &result)) {
        return 0;
    }
    return static_cast<LRESULT>(result);
}

class RemoteBuffer {
public:
    RemoteBuffer(HANDLE process, std::size_t size)
        : address_(VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE),
                   RemoteFree{process})
    {
    }

    void* address() const { return address_.get(); }
    LPARAM asParameter() const { return reinterpret_cast<LPARAM>(address_.get()); }
    bool write(std::size_t offset, const void* data, std::size_t size) const
    {
        return WriteProcessMemory(address_.get_deleter().process, static_cast<BYTE*>(address_.get()) + offset, data,
                                  size, nullptr) != FALSE;
    }
    bool read(std::size_t offset, void* data, std::size_t size) const
    {
        return ReadProcessMemory(address_.get_deleter().process, static_cast<const BYTE*>(address_.get()) + offset,
                                 data, size, nullptr) != FALSE;
    }

private:
    struct RemoteFree {
        HANDLE process;
        void operator()(void* address) const { VirtualFreeEx(process, address, 0, MEM_RELEASE); }
    };
    std::unique_ptr<void, RemoteFree> address_;
};

constexpr int rowTextCapacity = 512;

std::wstring rowText(const RemoteBuffer& buffer, HWND list, int row)
{
    LVITEMW item = {};
    item.iSubItem = 0;
    item.cchTextMax = rowTextCapacity;
    item.pszText = reinterpret_cast<wchar_t*>(static_cast<BYTE*>(buffer.address()) + sizeof(LVITEMW));
    wchar_t text[rowTextCapacity] = {};
    if (!buffer.write(0, &item, sizeof(item)) || !buffer.write(sizeof(LVITEMW), text, sizeof(text))) {
        return {};
    }
    sendWithTimeout(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), buffer.asParameter());
    buffer.read(sizeof(LVITEMW), text, sizeof(text));
    text[rowTextCapacity - 1] = L'\0';
    return text;
}

struct BoxSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK matchMessageBox(HWND window, LPARAM parameter)
{
    auto* search = reinterpret_cast<BoxSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    if (owner == search->processId && wcscmp(className, L"#32770") == 0 && IsWindowVisible(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK collectStaticText(HWND child, LPARAM parameter)
{
    wchar_t className[16] = {};
    GetClassNameW(child, className, 16);
    if (_wcsicmp(className, L"Static") == 0) {
        std::wstring text = textOf(child);
        if (!text.empty()) {
            *reinterpret_cast<std::wstring*>(parameter) = std::move(text);
            return FALSE;
        }
    }
    return TRUE;
}

} // namespace

std::wstring textOf(HWND window)
{
    const auto length = static_cast<std::size_t>(sendWithTimeout(window, WM_GETTEXTLENGTH, 0, 0));
    std::wstring text(length + 1, L'\0');
    const auto copied = static_cast<std::size_t>(
        sendWithTimeout(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data())));
    text.resize(copied < length ? copied : length);
    return text;
}

bool isChecked(HWND checkBox)
{
    return sendWithTimeout(checkBox, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

std::vector<ListRow> listRows(HANDLE process, HWND list)
{
    const RemoteBuffer buffer(process, sizeof(LVITEMW) + rowTextCapacity * sizeof(wchar_t));
    std::vector<ListRow> rows;
    if (!buffer.address()) {
        return rows;
    }
    const auto count = static_cast<int>(sendWithTimeout(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < count; ++row) {
        const auto state = static_cast<UINT>(sendWithTimeout(list, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_STATEIMAGEMASK));
        rows.push_back({rowText(buffer, list, row), state == INDEXTOSTATEIMAGEMASK(2)});
    }
    return rows;
}

bool setRowChecked(HANDLE process, HWND list, int row, bool checked)
{
    const RemoteBuffer buffer(process, sizeof(LVITEMW));
    LVITEMW item = {};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
    return buffer.address() && buffer.write(0, &item, sizeof(item)) &&
           sendWithTimeout(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), buffer.asParameter()) != 0;
}

void click(HWND button)
{
    PostMessageW(button, BM_CLICK, 0, 0);
}

void typeText(HWND edit, const std::wstring& text)
{
    sendWithTimeout(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void pressKey(HWND control, WPARAM key)
{
    const UINT scanCode = MapVirtualKeyW(static_cast<UINT>(key), MAPVK_VK_TO_VSC);
    PostMessageW(control, WM_KEYDOWN, key, 1 | (static_cast<LPARAM>(scanCode) << 16));
    PostMessageW(control, WM_KEYUP, key, 1 | (static_cast<LPARAM>(scanCode) << 16) | (LPARAM{3} << 30));
}

HWND findMessageBox(DWORD processId)
{
    BoxSearch search = {processId, nullptr};
    EnumWindows(matchMessageBox, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring messageBoxText(HWND box)
{
    std::wstring text;
    EnumChildWindows(box, collectStaticText, reinterpret_cast<LPARAM>(&text));
    return text;
}
