// The kinds of which no version-1 record reaches the conversion: no layout
// of their records is known, so the reader refuses a show that holds pixel
// matrices, custom presets, media, timelines, DALI interfaces or scenes,
// touch-panel interfaces or triggers, and reads no record of timecode buses,
// audio buses or ethernet sources. Each step converts none and says so.
#include "applications/morvant/conversion/conversion_context.h"
#include "applications/morvant/conversion/steps/conversion_steps.h"
#include "seltrane_components/os/logger.h"

void ConversionSteps::convertPixelMatrices(ConversionContext& context)
{
    context.report.touch(ReportKind::PixelMatrices);
}

void ConversionSteps::convertCustomPresets(ConversionContext& context)
{
    context.report.touch(ReportKind::CustomPresets);
}

void ConversionSteps::convertMedia(ConversionContext& context)
{
    context.report.touch(ReportKind::MediaClips);
    context.report.touch(ReportKind::MediaSlots);
}

void ConversionSteps::convertTimelines(ConversionContext& context) { context.report.touch(ReportKind::Timelines); }

void ConversionSteps::reportCustomWebInterfaces(ConversionContext&)
{
    logMessage(kLogInfo, "Custom web interfaces are not carried over");
}

void ConversionSteps::convertDaliInterfaces(ConversionContext& context)
{
    context.report.touch(ReportKind::DaliInterfaces);
}

void ConversionSteps::convertDaliScenes(ConversionContext& context) { context.report.touch(ReportKind::DaliScenes); }

void ConversionSteps::convertTimecodeBuses(ConversionContext& context)
{
    context.report.touch(ReportKind::TimecodeBuses);
}

void ConversionSteps::convertAudioBuses(ConversionContext& context) { context.report.touch(ReportKind::AudioBuses); }

void ConversionSteps::convertEthernetSources(ConversionContext& context)
{
    context.report.touch(ReportKind::EthernetSources);
}

void ConversionSteps::convertInterfaces(ConversionContext& context)
{
    context.report.touch(ReportKind::TouchPanelInterfaces);
}

void ConversionSteps::convertTriggers(ConversionContext& context) { context.report.touch(ReportKind::Triggers); }
