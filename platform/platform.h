#pragma once

// The operating-system layer. The program is a Windows program; on other
// systems Linux's own calls and a stand-in of Windows' registry and shared
// folders (standin/) answer the same questions, so that it can be run and
// tested there. Nothing outside platform/ asks which system it is on.
//
// One header per topic; this one includes them all.

#include "files.h"
#include "folders.h"
#include "processes.h"
#include "registry.h"
#include "restart.h"
#include "system.h"
#include "walk.h"
