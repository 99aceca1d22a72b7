#include "zoltMessages.h"

#include "zoltMsg.h"

const cui::LocalizedString gZephroServerAdYes(ZOLT_MSG("msg.cloneToZephroMasterWz.zephroServer.adYes", "Yes"));
const cui::LocalizedString gZephroServerAdNo(ZOLT_MSG("msg.cloneToZephroMasterWz.zephroServer.adNo", "No"));

const cui::LocalizedString gPocketZephroDeployApp(
   ZOLT_MSG("msg.wui.wizard.pkgWizard.pocketZephroDeployApp", "deploy.exe"));
const cui::LocalizedString gQuenBadInstance(
   ZOLT_MSG("msg.zolt.statusQuen.badInstance",
            "The selected instance cannot be found on the server. This view is out of date; click Refresh "
            "to update it."));
const cui::LocalizedString gQuenBadInstances(
   ZOLT_MSG("msg.zolt.statusQuen.badInstances",
            "The %d selected instances cannot be found on the server. This view is out of date; click Refresh "
            "to update it."));

const cui::LocalizedString gMultimonFailTitle(ZOLT_MSG("msg.app.multimonFail.title", "Multiple Monitors"));
const cui::LocalizedString gMultimonFailFormat(
   ZOLT_MSG("msg.app.multimonFail.format",
            "The virtual machine cannot use several monitors, for these reasons:\n\n%s\n"
            "The user's guide explains how to set up several monitors."));
const cui::LocalizedString gMultimonFailReason(ZOLT_MSG("msg.app.multimonFail.reason", "- %s\n"));

const cui::LocalizedString gFullScreenVMText(ZOLT_MSG("msg.fullScreen.vm.text", "Virtual Machine"));
const cui::LocalizedString gFullScreenPinTooltip(ZOLT_MSG("msg.fullScreen.pin.tooltip", "Pin the toolbar"));
const cui::LocalizedString gFullScreenUnpinTooltip(ZOLT_MSG("msg.fullScreen.unpin.tooltip", "Unpin the toolbar"));
const cui::LocalizedString gFullScreenAppTooltip(ZOLT_MSG("msg.fullScreen.app.tooltip", "System menu"));
const cui::LocalizedString gFullScreenMonitorTooltip(
   ZOLT_MSG("msg.fullScreen.monitor.tooltip", "Cycle through the monitors"));
const cui::LocalizedString gFullScreenNextTooltip(
   ZOLT_MSG("msg.fullScreen.next.tooltip", "Next power-on of the virtual machine"));
const cui::LocalizedString gFullScreenMinimizeTooltip(ZOLT_MSG("msg.fullScreen.minimize.tooltip", "Minimize"));
const cui::LocalizedString gFullScreenRestoreTooltip(ZOLT_MSG("msg.fullScreen.restore.tooltip", "Restore"));
const cui::LocalizedString gFullScreenCloseTooltip(ZOLT_MSG("msg.fullScreen.close.tooltip", "Close"));
const cui::LocalizedString gFullScreenTeamVMFormat(ZOLT_MSG("msg.fullScreen.teamVM.format", "%s - %s"));
const cui::LocalizedString gFullScreenPinTip(
   ZOLT_MSG("msg.fullScreen.pin.tip", "Move the mouse to the top edge of the screen to show the toolbar."));
const cui::LocalizedString gFullScreenUngrabTip(
   ZOLT_MSG("msg.fullScreen.ungrab.tip", "Press %s to release the input."));
const cui::LocalizedString gFullScreenGrabTip(
   ZOLT_MSG("msg.fullScreen.grab.tip", "Press Ctrl+G to type into the virtual machine."));

const cui::LocalizedString gCloneToMasterVMTitle(
   ZOLT_MSG("msg.cloneToZephroMasterWz.vm.title", "Choose a Virtual Machine"));
const cui::LocalizedString gCloneToMasterVMSubTitle(
   ZOLT_MSG("msg.cloneToZephroMasterWz.vm.subTitle", "Which virtual machine should the new template be built from?"));
const cui::LocalizedString gCloneToMasterVMPathTitle(
   ZOLT_MSG("msg.cloneToZephroMasterWz.vmPath.title", "Name of the New Template"));
const cui::LocalizedString gCloneToMasterVMPathSubTitle(
   ZOLT_MSG("msg.cloneToZephroMasterWz.vmPath.subTitle", "What name should the template have?"));
const cui::LocalizedString gCloneToMasterServerTitle(
   ZOLT_MSG("msg.cloneToZephroMasterWz.server.title", "Management Server"));
const cui::LocalizedString gCloneToMasterServerSubTitle(
   ZOLT_MSG("msg.cloneToZephroMasterWz.server.subTitle", "Which management server should the template use?"));
const cui::LocalizedString gCloneToMasterAdTitle(ZOLT_MSG("msg.cloneToZephroMasterWz.ad.title", "Directory Service"));
const cui::LocalizedString gCloneToMasterAdSubTitle(
   ZOLT_MSG("msg.cloneToZephroMasterWz.ad.subTitle", "Choose whether the template uses the directory service."));
const cui::LocalizedString gCloneToMasterFinalTitle(
   ZOLT_MSG("msg.cloneToZephroMasterWz.final.title", "Ready to Finish"));
const cui::LocalizedString gCloneToMasterFinalSubTitle(
   ZOLT_MSG("msg.cloneToZephroMasterWz.final.subTitle", "The wizard is ready to finish."));
const cui::LocalizedString gCloneToMasterProgressTitle(
   ZOLT_MSG("msg.cloneToZephroMasterWz.progress.title", "Creating the template from the virtual machine"));
const cui::LocalizedString gCloneToMasterProgressSubTitle(ZOLT_MSG("msg.cloneToZephroMasterWz.progress.subTitle", " "));
const cui::LocalizedString gCloneToMasterServerErrorNoAddress(
   ZOLT_MSG("msg.cloneToZephroMasterWzServer.errorNoAddress", "You must enter a server."));
const cui::LocalizedString gCloneToMasterServerAdYes(
   ZOLT_MSG("msg.cloneToZephroMasterWzServer.zephroServer.adYes", "Yes"));
const cui::LocalizedString gCloneToMasterServerAdNo(ZOLT_MSG("msg.cloneToZephroMasterWzServer.zephroServer.adNo", "No"));
const cui::LocalizedString gCloneToMasterVMErrorNoVM(
   ZOLT_MSG("msg.cloneToZephroMasterWzVM.errorNoVM", "You must choose a virtual machine."));
const cui::LocalizedString gCloneToMasterVMErrorCannotConvertZephroMaster(
   ZOLT_MSG("msg.cloneToZephroMasterWzVM.errorCannotConvertZephroMaster",
            "A managed template cannot be chosen for this operation."));
const cui::LocalizedString gCloneToMasterVMErrorNonVMFileSelected(
   ZOLT_MSG("msg.cloneToZephroMasterWzVM.errorNonVMFileSelected",
            "Only a virtual machine configuration file (%s) can be chosen for this operation."));
