#include "cframe.h"

namespace Ulmora
{

CFrame::CFrame(QWidget* parent) : QFrame(parent) {}

} // namespace Ulmora
