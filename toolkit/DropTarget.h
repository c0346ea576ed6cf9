// Makes a window an OLE drop target whose notifications go to one handler.
#pragma once

#include "base/Owned.h"
#include "toolkit/Control.h"

#include <windows.h>

#include <functional>

namespace Toolkit {

class DropTargetObject;

class DropTarget {
public:
    // Drop is false for enter, over and leave (Args.State says which), true for a drop.
    using Handler = std::function<void(DragEventArgs& Args, bool Drop)>;

    // Registers Window; the registration ends with this object (RevokeDragDrop).
    DropTarget(HWND Window, Handler Notify);
    ~DropTarget();
    DropTarget(const DropTarget&) = delete;
    DropTarget& operator=(const DropTarget&) = delete;

    bool Registered() const { return registered_; }
    // The object the system calls, for code that drives a drag itself.
    IDropTarget* Object() const;

private:
    HWND window_;
    InterfaceReference<IDropTarget> object_; // one reference of ours, to a DropTargetObject
    bool registered_ = false;
};

} // namespace Toolkit
