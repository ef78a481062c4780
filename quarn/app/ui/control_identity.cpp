#include "quarn/app/ui/control_identity.h"

#include <QWidget>

#include "quarn/services/program_context.h"
#include "shared/widgets/ui_text.h"

QString TitledText(std::string_view text) {
    return FromBytes(WithProgramTitle(text));
}

void IdentifyControl(QWidget* control, int id, std::string_view tip) {
    control->setObjectName(QString::number(id));
    if (!tip.empty()) control->setToolTip(TitledText(tip));
}
