// The program's global message objects: localized literals built before WinMain runs and kept
// until the process ends. Each group names the window that shows it.
#pragma once

#include "cui/LocalizedString.h"

// Zephro server settings of the clone-to-master wizard.
extern const cui::LocalizedString gZephroServerAdYes;
extern const cui::LocalizedString gZephroServerAdNo;

// The package wizard's deployment program and the Zephro server page.
extern const cui::LocalizedString gPocketZephroDeployApp;
extern const cui::LocalizedString gQuenBadInstance;
extern const cui::LocalizedString gQuenBadInstances;

// The frame's several-monitor full screen: a caption, the text with the reasons ("%s") and one
// reason line ("%s").
extern const cui::LocalizedString gMultimonFailTitle;
extern const cui::LocalizedString gMultimonFailFormat;
extern const cui::LocalizedString gMultimonFailReason;

// The full-screen toolbar.
extern const cui::LocalizedString gFullScreenVMText;
extern const cui::LocalizedString gFullScreenPinTooltip;
extern const cui::LocalizedString gFullScreenUnpinTooltip;
extern const cui::LocalizedString gFullScreenAppTooltip;
extern const cui::LocalizedString gFullScreenMonitorTooltip;
extern const cui::LocalizedString gFullScreenNextTooltip;
extern const cui::LocalizedString gFullScreenMinimizeTooltip;
extern const cui::LocalizedString gFullScreenRestoreTooltip;
extern const cui::LocalizedString gFullScreenCloseTooltip;
extern const cui::LocalizedString gFullScreenTeamVMFormat;
extern const cui::LocalizedString gFullScreenPinTip;
extern const cui::LocalizedString gFullScreenUngrabTip;
extern const cui::LocalizedString gFullScreenGrabTip;

// The clone-to-master wizard's pages.
extern const cui::LocalizedString gCloneToMasterVMTitle;
extern const cui::LocalizedString gCloneToMasterVMSubTitle;
extern const cui::LocalizedString gCloneToMasterVMPathTitle;
extern const cui::LocalizedString gCloneToMasterVMPathSubTitle;
extern const cui::LocalizedString gCloneToMasterServerTitle;
extern const cui::LocalizedString gCloneToMasterServerSubTitle;
extern const cui::LocalizedString gCloneToMasterAdTitle;
extern const cui::LocalizedString gCloneToMasterAdSubTitle;
extern const cui::LocalizedString gCloneToMasterFinalTitle;
extern const cui::LocalizedString gCloneToMasterFinalSubTitle;
extern const cui::LocalizedString gCloneToMasterProgressTitle;
extern const cui::LocalizedString gCloneToMasterProgressSubTitle;
extern const cui::LocalizedString gCloneToMasterServerErrorNoAddress;
extern const cui::LocalizedString gCloneToMasterServerAdYes;
extern const cui::LocalizedString gCloneToMasterServerAdNo;
extern const cui::LocalizedString gCloneToMasterVMErrorNoVM;
extern const cui::LocalizedString gCloneToMasterVMErrorCannotConvertZephroMaster;
extern const cui::LocalizedString gCloneToMasterVMErrorNonVMFileSelected;
