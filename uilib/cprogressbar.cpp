#include "cprogressbar.h"

namespace Ulmora
{

CProgressBar::CProgressBar(QWidget* parent) : QProgressBar(parent) {}

} // namespace Ulmora
