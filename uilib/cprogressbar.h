#pragma once

// A progress bar that style sheets can single out as Ulmora--CProgressBar.

#include <QProgressBar>

namespace Ulmora
{

class CProgressBar : public QProgressBar
{
    Q_OBJECT

public:
    explicit CProgressBar(QWidget* parent = nullptr);
};

} // namespace Ulmora
