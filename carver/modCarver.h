#pragma once
// Everything the splitter window and the command-line front end use of the
// split engine, in one include.
#include "BlockPlan.h"
#include "CarverPlatform.h"
#include "DiskPrompt.h"
#include "DiskSpace.h"
#include "FileTimeCopy.h"
#include "JoinBatch.h"
#include "SplitEngine.h"
#include "SplitterWindow.h"
