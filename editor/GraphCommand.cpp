#include "editor/GraphCommand.h"

#include <QString>

#include "editor/ErrorDisplay.h"
#include "editor/GraphControl.h"

namespace {

constexpr int kMergingStep = 1;

}  // namespace

TGraphCommand::TGraphCommand(TGraphControl& control, std::unique_ptr<TGraphEdit> edit)
    : QUndoCommand(QString::fromStdString(edit->Name())),
      control_(control),
      edit_(std::move(edit)) {}

void TGraphCommand::redo() {
    if (std::exchange(made_, false)) return;
    RunGuarded([&] { control_.ShowStepped(control_.View().Redo(*edit_)); });
}

void TGraphCommand::undo() {
    RunGuarded([&] { control_.ShowStepped(control_.View().Undo(*edit_)); });
}

int TGraphCommand::id() const { return edit_->MergeKey.Kind != 0 ? kMergingStep : -1; }

bool TGraphCommand::mergeWith(const QUndoCommand* other) {
    const auto* next = dynamic_cast<const TGraphCommand*>(other);
    if (next == nullptr || !edit_->MergeWith(*next->edit_)) return false;
    if (edit_->ChangesNothing()) setObsolete(true);
    return true;
}
