#pragma once

// The base of our framed widgets, so that style sheets can single them out
// as Ulmora--CFrame.

#include <QFrame>

namespace Ulmora
{

class CFrame : public QFrame
{
    Q_OBJECT

public:
    explicit CFrame(QWidget* parent = nullptr);
};

} // namespace Ulmora
