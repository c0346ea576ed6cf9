#include "toolkit/DropTarget.h"
#include "base/Owned.h"
#include "base/Trace.h"

#include <ole2.h>

#include <atomic>
#include <utility>

namespace Toolkit {

class DropTargetObject final : public IDropTarget {
public:
    DropTargetObject(HWND window, DropTarget::Handler notify)
        : window_(window), notify_(std::move(notify)) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (object == nullptr)
            return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDropTarget)) {
            *object = static_cast<IDropTarget*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0)
            delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keys, POINTL point,
                                        DWORD* effect) override {
        const KeepAlive self(this);
        Hold(data);
        lastAnswer_ = DROPEFFECT_NONE;
        return Notify(keys, point, effect, DragState::Enter, false);
    }
    HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL point, DWORD* effect) override {
        const KeepAlive self(this);
        return Notify(keys, point, effect, DragState::Over, false);
    }
    HRESULT STDMETHODCALLTYPE DragLeave() override {
        // Leave carries no position or keys: the last ones seen stand in for them.
        const KeepAlive self(this);
        DWORD effect = DROPEFFECT_NONE;
        Notify(lastKeys_, lastPoint_, &effect, DragState::Leave, false);
        Hold(nullptr);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keys, POINTL point,
                                   DWORD* effect) override {
        const KeepAlive self(this);
        Hold(data);
        const HRESULT result = Notify(keys, point, effect, DragState::Over, true);
        Hold(nullptr);
        return result;
    }

    // The window is going away: no notification may reach its handler any more.
    void Disconnect() {
        notify_ = nullptr;
        Hold(nullptr);
    }

private:
    // The object outlives a call in which its window unloads and releases it.
    class KeepAlive {
    public:
        explicit KeepAlive(DropTargetObject* object) : object_(object) { object_->AddRef(); }
        ~KeepAlive() { object_->Release(); }
        KeepAlive(const KeepAlive&) = delete;
        KeepAlive& operator=(const KeepAlive&) = delete;

    private:
        DropTargetObject* object_;
    };

    ~DropTargetObject() = default;

    // A reference of its own to the data of the drag under way.
    void Hold(IDataObject* data) {
        if (data != nullptr)
            data->AddRef();
        data_.Reset(data);
    }

    HRESULT Notify(DWORD keys, POINTL point, DWORD* effect, DragState state, bool drop) {
        if (effect == nullptr)
            return E_INVALIDARG;
        // A handler may unload the window, which disconnects this object and lets go
        // of the data: the handler and the data stay alive until the handler returns.
        IDataObject* const data = data_.Get();
        if (data != nullptr)
            data->AddRef();
        const InterfaceReference<IDataObject> dataDuringCall(data);
        lastKeys_ = keys;
        lastPoint_ = point;
        DragEventArgs args;
        args.Data = data;
        // A drop answers what the drag-over last answered, and a drag-over refuses
        // unless its handler answers: never the effects the source allows, since a
        // source told "move" may delete what it dragged.
        args.Effect = drop ? lastAnswer_ : DROPEFFECT_NONE;
        args.Button = static_cast<std::int16_t>(((keys & MK_LBUTTON) ? 1 : 0) |
                                                ((keys & MK_RBUTTON) ? 2 : 0) |
                                                ((keys & MK_MBUTTON) ? 4 : 0));
        args.Shift =
            static_cast<std::int16_t>(((keys & MK_SHIFT) ? 1 : 0) | ((keys & MK_CONTROL) ? 2 : 0) |
                                      ((keys & MK_ALT) ? 4 : 0));
        POINT client{point.x, point.y};
        ScreenToClient(window_, &client);
        args.X = PixelsToTwips(client.x, ScreenDpiX());
        args.Y = PixelsToTwips(client.y, ScreenDpiY());
        args.State = state;
        try {
            const DropTarget::Handler notify = notify_;
            // A target without a handler refuses.
            if (notify)
                notify(args, drop);
            else
                args.Effect = DROPEFFECT_NONE;
        } catch (...) {
            TraceFailure(L"a drag-and-drop handler");
            args.Effect = DROPEFFECT_NONE;
        }
        if (drop) {
            // The drop handler may refuse, never widen the answer.
            *effect = args.Effect & lastAnswer_;
            lastAnswer_ = DROPEFFECT_NONE;
        } else {
            *effect = args.Effect;
            lastAnswer_ = state == DragState::Leave ? DROPEFFECT_NONE : args.Effect;
        }
        return S_OK;
    }

    std::atomic<ULONG> references_{1};
    HWND window_;
    DropTarget::Handler notify_;
    InterfaceReference<IDataObject> data_;
    DWORD lastKeys_ = 0;
    POINTL lastPoint_{};
    DWORD lastAnswer_ = DROPEFFECT_NONE; // of the drag-over, for the drop
};

DropTarget::DropTarget(HWND Window, Handler Notify)
    : window_(Window), object_(new DropTargetObject(Window, std::move(Notify))) {
    registered_ = SUCCEEDED(RegisterDragDrop(window_, object_.Get()));
}

IDropTarget* DropTarget::Object() const {
    return object_.Get();
}

DropTarget::~DropTarget() {
    if (registered_)
        RevokeDragDrop(window_);
    static_cast<DropTargetObject*>(object_.Get())->Disconnect();
}

} // namespace Toolkit
