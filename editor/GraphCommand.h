// A step of editing the graph on Qt's undo stack: a thin wrapper of the view's own step.
#pragma once

#include <QUndoCommand>
#include <memory>

#include "editor/GraphEdit.h"

class TGraphControl;

/// Undo and redo go through the control's view and show what they changed. Errors are
/// shown, as everywhere in the editor, and go no further.
class TGraphCommand : public QUndoCommand {
public:
    /// edit: a step already made on control's view, named for the menu.
    TGraphCommand(TGraphControl& control, std::unique_ptr<TGraphEdit> edit);

    /// The first redo, which the undo stack runs when it takes the command, finds the
    /// step made and does nothing.
    void redo() override;
    void undo() override;
    /// The same for every step that may merge; TGraphEdit::MergeWith decides.
    int id() const override;
    /// A step that then changes nothing is marked obsolete, and the stack drops it.
    bool mergeWith(const QUndoCommand* other) override;

private:
    TGraphControl& control_;
    std::unique_ptr<TGraphEdit> edit_;
    bool made_ = true;
};
