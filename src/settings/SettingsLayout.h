// The order of the values in the settings files. One list serves writing,
// reading and the older text file, so the three cannot drift apart.
#pragma once

#include "settings/Settings.h"

// Calls visit(position, member) for positions 2 to 132 in file order.
// Position 1, the format version, is not a member and is left to the caller.
// Record is CSettings or const CSettings.
template <class Record, class Visitor>
void ForEachSettingsValue(Record& s, Visitor&& visit)
{
    visit(2, s.PreviewPlacement);
    visit(3, s.AutoRefresh);
    visit(4, s.RenameSeriesChoice);
    for (int i = 0; i < CSettings::kAssociationCount; ++i)
        visit(5 + i, s.Associate[i]);
    visit(24, s.CompareByName);
    visit(25, s.CompareByExtension);
    visit(26, s.CompareBySize);
    visit(27, s.CompareByDate);
    visit(28, s.CompareCaseSensitive);
    visit(29, s.CompareExtension);
    visit(30, s.ComparePreviewSource);
    visit(31, s.ComparePreviewDestination);
    visit(32, s.PrintVerticalPosition);
    visit(33, s.PrintHorizontalPosition);
    visit(34, s.PrintCaptionPath);
    visit(35, s.PrintCaptionName);
    visit(36, s.PrintCaptionFileSize);
    visit(37, s.PrintCaptionDimensions);
    visit(38, s.PrintCaptionAlignment);
    visit(39, s.PrintCaptionPosition);
    visit(40, s.PrintMarginLeft);
    visit(41, s.PrintMarginRight);
    visit(42, s.PrintMarginTop);
    visit(43, s.PrintMarginBottom);
    visit(44, s.PrintCustomWidth);
    visit(45, s.PrintCustomHeight);
    visit(46, s.PrintThumbnailWidth);
    visit(47, s.PrintThumbnailHeight);
    visit(48, s.PrintThumbnailSource);
    visit(49, s.FindGoToFile);
    visit(50, s.FindPreview);
    visit(51, s.RotateQuality);
    visit(52, s.RotateAngle);
    visit(53, s.RotateDirection);
    visit(54, s.ShearAntiAlias);
    visit(55, s.ShearAngle);
    visit(56, s.ShearCorner);
    visit(57, s.CanvasAnchor);
    visit(58, s.ResizeConstrain);
    visit(59, s.ColorBalanceRed);
    visit(60, s.ColorBalanceGreen);
    visit(61, s.ColorBalanceBlue);
    visit(62, s.ThresholdLevel);
    visit(63, s.IntensityIntensity);
    visit(64, s.IntensityExponent);
    visit(65, s.IntensityOffset);
    visit(66, s.ConvertFormat);
    visit(67, s.ConvertReplaceOriginal);
    visit(68, s.ConvertOverwrite);
    visit(69, s.JpegProgressive);
    visit(70, s.JpegOptimizeHuffman);
    visit(71, s.JpegQuality);
    visit(72, s.JpegSmoothing);
    visit(73, s.TiffCompression);
    visit(74, s.BmpDepth);
    visit(75, s.TiffParam);
    visit(76, s.PngInterlaced);
    visit(77, s.TgaRle);
    visit(78, s.TgaDepth);
    visit(79, s.PcxDepth);
    visit(80, s.GifInterlaced);
    visit(81, s.PictRle);
    visit(82, s.RasRle);
    visit(83, s.RasDepth);
    visit(84, s.EnablePreview);
    visit(85, s.PreviewEnlarge);
    visit(86, s.PreviewShrink);
    visit(87, s.BrowserFullPathInTitle);
    visit(88, s.HideNonImages);
    visit(89, s.SelectAfterCopyMove);
    visit(90, s.SelectAfterDelete);
    visit(91, s.SelectAfterConvert);
    visit(92, s.ConfirmCopyMove);
    visit(93, s.ConfirmMultipleDelete);
    visit(94, s.ConfirmSingleDelete);
    visit(95, s.ConfirmNonEmptyFolderDelete);
    visit(96, s.ConfirmEmptyFolderDelete);
    visit(97, s.UpperCaseExtension);
    visit(98, s.UseRecycleBin);
    visit(99, s.OverwriteExisting);
    visit(100, s.SlideDelayFlip);
    visit(101, s.SlideDelay);
    visit(102, s.SlidePosition);
    visit(103, s.SlideImageSize);
    visit(104, s.SlideSequence);
    visit(105, s.ViewerEnlarge);
    visit(106, s.ViewerFullPathInTitle);
    visit(107, s.ViewerShrink);
    visit(108, s.SaveRecentFolders);
    visit(109, s.SaveSettings);
    visit(110, s.ShowPrintSetup);
    visit(111, s.AlwaysStartInHomeFolder);
    visit(112, s.FileSizeUnit);
    visit(113, s.ImageSizeUnit);
    visit(114, s.ShowExtensionColumn);
    visit(115, s.ShowSizeColumn);
    visit(116, s.ShowDateColumn);
    visit(117, s.ShowAttributesColumn);
    visit(118, s.ShowTypeColumn);
    visit(119, s.SortKey);
    visit(120, s.ViewMode);
    visit(121, s.ShowHiddenFiles);
    visit(122, s.SortAscending);
    visit(123, s.FullRowSelect);
    visit(124, s.FolderTreeFraction);
    visit(125, s.PreviewFraction);
    visit(126, s.DdsFlip);
    visit(127, s.DdsMipMaps);
    visit(128, s.DdsFormat);
    visit(129, s.NormalMapMethod);
    visit(130, s.NormalMapScale);
    visit(131, s.SolarizeThreshold);
    visit(132, s.HomeFolder);
}
