#pragma once
// The message strings of the chart library: every caption, message, sample label and file
// filter it shows or raises. Filled at program start (NuvConstStartup), emptied at shut-down.
#include <string>
#include <vector>

// X(identifier, text) for every fixed text.
#define NUV_MESSAGE_TEXTS(X) \
  X(NuvMsg_FirstLegendValue, "First Legend Value must be > 0") \
  X(NuvMsg_NoParentChartValidate, "No ParentChart to validate DataSource") \
  X(NuvMsg_NoValidDataSource, "No valid DataSource: %s") \
  X(NuvMsg_FillSampleValuesNumValues, "FillSampleValues NumValues must be > 0") \
  X(NuvMsg_DateTimeLogarithmic, "DateTime Axis cannot be Logarithmic") \
  X(NuvMsg_LabelsSeparation, "Labels Separation % must be greater than 0") \
  X(NuvMsg_AxisIncrement, "Axis increment must be >= 0") \
  X(NuvMsg_AxisMinimum, "Axis Minimum Value must be <= Maximum") \
  X(NuvMsg_AxisMaximum, "Axis Maximum Value must be >= Minimum") \
  X(NuvMsg_AxisLogarithmicBase, "Axis Logarithmic Base should be <> 1 and > 0") \
  X(NuvMsg_MaxPointsPerPage, "MaxPointsPerPage must be >= 0") \
  X(NuvMsg_Chart3DPercent, "3D effect percent must be between %d and %d") \
  X(NuvMsg_CircularSeries, "Circular Series dependences are not allowed") \
  X(NuvMsg_PointerSize, "Pointer size must be greater than zero") \
  X(NuvMsg_FunctionPeriod, "Function Period should be >= 0") \
  X(NuvMsg_SeriesDeleteOutOfBounds, "Series Delete: ValueIndex %d out of bounds (0 to %d).") \
  X(NuvMsg_PercentOf, "%s of %s") \
  X(NuvMsg_PercentOf2, "%s\rof %s") \
  X(NuvMsg_DefPercentFormat, "##0.## %") \
  X(NuvMsg_DefValueFormat, "#,##0.###") \
  X(NuvMsg_ValuesX, "X") \
  X(NuvMsg_ValuesY, "Y") \
  X(NuvMsg_GalleryNormal, "Normal") \
  X(NuvMsg_SeriesNoName, "Series") \
  X(NuvMsg_GalleryStandard, "Standard") \
  X(NuvMsg_TopAxis, "Top Axis") \
  X(NuvMsg_BottomAxis, "Bottom Axis") \
  X(NuvMsg_LeftAxis, "Left Axis") \
  X(NuvMsg_RightAxis, "Right Axis") \
  X(NuvMsg_DepthAxis, "Depth Right") \
  X(NuvMsg_DepthTopAxis, "Depth Top") \
  X(NuvMsg_DefaultFontSize, "8") \
  X(NuvMsg_DefaultFontName, "Arial") \
  X(NuvMsg_GalleryLine, "Line") \
  X(NuvMsg_GalleryPoint, "Point") \
  X(NuvMsg_GalleryArea, "Area") \
  X(NuvMsg_GalleryBar, "Bar") \
  X(NuvMsg_GalleryHorizBar, "Horizontal\rBar") \
  X(NuvMsg_GalleryStack, "Stack") \
  X(NuvMsg_GalleryPie, "Pie") \
  X(NuvMsg_GalleryCircled, "Circled") \
  X(NuvMsg_GalleryFastLine, "Fast Line") \
  X(NuvMsg_GalleryHorizLine, "Horizontal\rLine") \
  X(NuvMsg_GalleryArrow, "Arrow") \
  X(NuvMsg_GalleryGantt, "Gantt") \
  X(NuvMsg_GalleryShape, "Shape") \
  X(NuvMsg_GalleryBubble, "Bubble") \
  X(NuvMsg_GalleryDonutPie, "Pie") \
  X(NuvMsg_GalleryBar3D, "Bar") \
  X(NuvMsg_GalleryHorizArea, "Horizontal\rArea") \
  X(NuvMsg_PageExtended, "Extended") \
  X(NuvMsg_PageFunctions, "Functions") \
  X(NuvMsg_PageAdditional, "Additional") \
  X(NuvMsg_PageDataControls, "Data Controls") \
  X(NuvMsg_PageQReport, "QReport") \
  X(NuvMsg_PageBusiness, "Business") \
  X(NuvMsg_PageOther, "Other") \
  X(NuvMsg_PageCustom, "Custom ") \
  X(NuvMsg_FunctionAdd, "Add") \
  X(NuvMsg_FunctionSubtract, "Subtract") \
  X(NuvMsg_FunctionMultiply, "Multiply") \
  X(NuvMsg_FunctionDivide, "Divide") \
  X(NuvMsg_FunctionHigh, "High") \
  X(NuvMsg_FunctionLow, "Low") \
  X(NuvMsg_FunctionAverage, "Average") \
  X(NuvMsg_FunctionCopy, "Copy") \
  X(NuvMsg_FunctionMedian, "Median") \
  X(NuvMsg_FunctionMode, "Mode") \
  X(NuvMsg_FunctionY, "y = f(x)") \
  X(NuvMsg_FunctionPeriodText, "Period") \
  X(NuvMsg_FunctionPeriodRange, "Period range") \
  X(NuvMsg_FunctionCalculateEvery, "Calculate %s every:") \
  X(NuvMsg_StyleNormal, "Normal") \
  X(NuvMsg_StyleNoBorder, "No Border") \
  X(NuvMsg_StyleDotted, "Dotted") \
  X(NuvMsg_StyleColors, "Colors") \
  X(NuvMsg_StyleFilled, "Filled") \
  X(NuvMsg_StyleMarks, "Marks") \
  X(NuvMsg_StyleStairs, "Stairs") \
  X(NuvMsg_StylePoints, "Points") \
  X(NuvMsg_StyleHeight, "Height") \
  X(NuvMsg_StyleHollow, "Hollow") \
  X(NuvMsg_StylePoint2D, "Point 2D") \
  X(NuvMsg_StyleTriangle, "Triangle") \
  X(NuvMsg_StyleStar, "Star") \
  X(NuvMsg_StyleCircle, "Circle") \
  X(NuvMsg_StyleDownTri, "Down Tri.") \
  X(NuvMsg_StyleCross, "Cross") \
  X(NuvMsg_StyleDiamond, "Diamond") \
  X(NuvMsg_StyleNoLines, "No Lines") \
  X(NuvMsg_StyleStack100Pct, "Stack 100%") \
  X(NuvMsg_StylePyramid, "Pyramid") \
  X(NuvMsg_StyleEllipse, "Ellipse") \
  X(NuvMsg_StyleInvPyramid, "Inv. Pyramid") \
  X(NuvMsg_StyleSides, "Sides") \
  X(NuvMsg_StyleSideAll, "Side All") \
  X(NuvMsg_StylePatterns, "Patterns") \
  X(NuvMsg_StyleExploded, "Exploded") \
  X(NuvMsg_StyleShadow, "Shadow") \
  X(NuvMsg_StyleSemiPie, "Semi Pie") \
  X(NuvMsg_StyleRectangle, "Rectangle") \
  X(NuvMsg_StyleVertLine, "Vert.Line") \
  X(NuvMsg_StyleHorizLine, "Horiz.Line") \
  X(NuvMsg_StyleLine, "Line") \
  X(NuvMsg_StyleCube, "Cube") \
  X(NuvMsg_StyleDiagCross, "Diag.Cross") \
  X(NuvMsg_StyleSelfStacked, "Self Stacked") \
  X(NuvMsg_StyleDarkBorder, "Dark Border") \
  X(NuvMsg_StyleSmallDots, "Small Dots") \
  X(NuvMsg_StyleGradient, "Gradient") \
  X(NuvMsg_Style2D, "2D") \
  X(NuvMsg_StyleOutline, "Outline") \
  X(NuvMsg_StyleOrthoRight, "Ortho Right") \
  X(NuvMsg_StyleOrthoLeft, "Ortho Left") \
  X(NuvMsg_Style3DFront, "3D Front") \
  X(NuvMsg_Style3DRight, "3D Right") \
  X(NuvMsg_Style3DLeft, "3D Left") \
  X(NuvMsg_SampleCars, "Cars") \
  X(NuvMsg_SamplePhones, "Phones") \
  X(NuvMsg_SampleTables, "Tables") \
  X(NuvMsg_SampleMonitors, "Monitors") \
  X(NuvMsg_SampleLamps, "Lamps") \
  X(NuvMsg_SampleKeyboards, "Keyboards") \
  X(NuvMsg_SampleBikes, "Bikes") \
  X(NuvMsg_SampleChairs, "Chairs") \
  X(NuvMsg_SampleDesign, "Design") \
  X(NuvMsg_SamplePrototyping, "Prototyping") \
  X(NuvMsg_SampleDevelopment, "Development") \
  X(NuvMsg_SampleSales, "Sales") \
  X(NuvMsg_SampleMarketing, "Marketing") \
  X(NuvMsg_SampleTesting, "Testing") \
  X(NuvMsg_SampleManufac, "Manufac.") \
  X(NuvMsg_SampleDebugging, "Debugging") \
  X(NuvMsg_SampleNewVersion, "New Version") \
  X(NuvMsg_SampleBanking, "Banking") \
  X(NuvMsg_SampleAbc, "abc") \
  X(NuvMsg_Sample123, "123") \
  X(NuvMsg_ElementAxisTitle, "Axis Title") \
  X(NuvMsg_ElementAxisLabels, "Axis Labels") \
  X(NuvMsg_ElementAngle, "Angle") \
  X(NuvMsg_ElementStart, "Start") \
  X(NuvMsg_ElementEnd, "End") \
  X(NuvMsg_ElementNextTask, "NextTask") \
  X(NuvMsg_ElementRadius, "Radius") \
  X(NuvMsg_ElementEndX, "EndX") \
  X(NuvMsg_ElementEndY, "EndY") \
  X(NuvMsg_ElementLegend, "Legend") \
  X(NuvMsg_ElementTitle, "Title") \
  X(NuvMsg_ElementFooter, "Footer") \
  X(NuvMsg_ElementSubTitle, "SubTitle") \
  X(NuvMsg_ElementSubFoot, "SubFoot") \
  X(NuvMsg_EditorTest, "Test...") \
  X(NuvMsg_EditorCourierNew, "Courier New") \
  X(NuvMsg_EditorEditingPcts, "Editing %s") \
  X(NuvMsg_EditorEditChart, "E&dit Chart...") \
  X(NuvMsg_EditorPrintPreview, "&Print Preview...") \
  X(NuvMsg_EditorExportChart, "E&xport Chart...") \
  X(NuvMsg_EditorCustomAxes, "Custom Axes...") \
  X(NuvMsg_EditorFinish, "&Finish") \
  X(NuvMsg_EditorNextGt, "&Next >") \
  X(NuvMsg_EditorChangeSeriesTitle, "Change Series Title") \
  X(NuvMsg_EditorNewSeriesTitleLabel, "New Series Title:") \
  X(NuvMsg_EditorDateTime, "DateTime") \
  X(NuvMsg_EditorDeletePcts, "Delete %s ?") \
  X(NuvMsg_EditorDateTimeFormatLabel, "DateTime For&mat:") \
  X(NuvMsg_EditorDefault, "Default") \
  X(NuvMsg_EditorValuesFormatLabel, "Values For&mat:") \
  X(NuvMsg_EditorMaximum, "Maximum") \
  X(NuvMsg_EditorMinimum, "Minimum") \
  X(NuvMsg_EditorDesiredPctsIncrement, "Desired %s Increment") \
  X(NuvMsg_EditorEnterNumberOfDaysHhNnSs, "Enter [Number of Days] [hh:nn:ss]") \
  X(NuvMsg_EditorApplyChanges, "Apply Changes ?") \
  X(NuvMsg_EditorSelectedSeries, "(Selected Series)") \
  X(NuvMsg_EditorRefreshData, "&Refresh Data") \
  X(NuvMsg_Editor414, "414") \
  X(NuvMsg_Editor347, "347") \
  X(NuvMsg_EditorNone, "(none)") \
  X(NuvMsg_EditorPrivateDeclarations, "{ Private declarations }") \
  X(NuvMsg_EditorPublicDeclarations, "{ Public declarations }") \
  X(NuvMsg_EditorAboutNuvChart, "Abo&ut NuvChart...") \
  X(NuvMsg_EditorDataset, "Dataset") \
  X(NuvMsg_EditorDatasetLabel, "&Dataset:") \
  X(NuvMsg_EditorSingleRecord, "Single Record") \
  X(NuvMsg_EditorDataSourceLabel, "&DataSource:") \
  X(NuvMsg_EditorSummary, "Summary") \
  X(NuvMsg_EditorNuvChartWizard, "NuvChart Wizard") \
  X(NuvMsg_EditorClear, "Clea&r") \
  X(NuvMsg_EditorBrowse, "B&rowse...") \
  X(NuvMsg_EditorAreYouSureThatYouWantToCloseTheNuvChartW, "Are you sure that you want to close the NuvChart Wizard ?") \
  X(NuvMsg_EditorChartAxes, "Chart Axes") \
  X(NuvMsg_EditorChartAxesPropertiesAndEvents, "Chart Axes properties and events") \
  X(NuvMsg_EditorChartWalls, "Chart Walls") \
  X(NuvMsg_EditorChartWallsPropertiesAndEvents, "Chart Walls properties and events") \
  X(NuvMsg_EditorChartTitles, "Chart Titles") \
  X(NuvMsg_EditorChartTitlesPropertiesAndEvents, "Chart Titles properties and events") \
  X(NuvMsg_EditorChart3D, "Chart 3D") \
  X(NuvMsg_EditorChart3DPropertiesAndEvents, "Chart 3D properties and events") \
  X(NuvMsg_EditorSeries, "Series...") \
  X(NuvMsg_EditorPagePctdOfPctd, "Page %d of %d") \
  X(NuvMsg_EditorPctdBytes, "%d bytes") \
  X(NuvMsg_EditorFirst, "First") \
  X(NuvMsg_EditorPrior, "Prior") \
  X(NuvMsg_EditorNext, "Next") \
  X(NuvMsg_EditorLast, "Last") \
  X(NuvMsg_EditorInsert, "Insert") \
  X(NuvMsg_EditorDelete, "Delete") \
  X(NuvMsg_EditorEdit, "Edit") \
  X(NuvMsg_EditorPost, "Post") \
  X(NuvMsg_EditorCancel, "Cancel") \
  X(NuvMsg_EditorAll, "(all)") \
  X(NuvMsg_EditorIndex, "Index") \
  X(NuvMsg_EditorText, "Text") \
  X(NuvMsg_EditorLanguage, "&Language...") \
  X(NuvMsg_EditorDoYouWantToSavePcts, "Do you want to save %s?") \
  X(NuvMsg_EditorProperty, "Property") \
  X(NuvMsg_EditorValue, "Value") \
  X(NuvMsg_EditorYes, "Yes") \
  X(NuvMsg_EditorNo, "No") \
  X(NuvMsg_EditorImage, "(image)") \
  X(NuvMsg_EditorSelectDatabaseFolder, "Select database folder") \
  X(NuvMsg_EditorAliasLabel, "&Alias:") \
  X(NuvMsg_EditorConnectionLabel, "&Connection:") \
  X(NuvMsg_EditorApply, "&Apply") \
  X(NuvMsg_EditorAddNewGroup, "Add new group") \
  X(NuvMsg_EditorChangeGroupName, "Change group name") \
  X(NuvMsg_EditorGroupNameLabel, "Group name:") \
  X(NuvMsg_EditorOptions, "&Options...") \
  X(NuvMsg_ExportAsBitmap, "as &Bitmap") \
  X(NuvMsg_ExportBitmapsBmpBmp, "Bitmaps (*.bmp)|*.bmp") \
  X(NuvMsg_ExportAsMetafile, "as &Metafile") \
  X(NuvMsg_ExportEnhancedMetafilesEmfEmfMetafilesWmfWmf, "Enhanced Metafiles (*.emf)|*.emf|Metafiles (*.wmf)|*.wmf") \
  X(NuvMsg_ExportAsJPEG, "as &JPEG") \
  X(NuvMsg_ExportJPEGFilesJpgJpg, "JPEG files (*.jpg)|*.jpg") \
  X(NuvMsg_ExportAsGIF, "as &GIF") \
  X(NuvMsg_ExportGIFFilesGifGif, "GIF files (*.gif)|*.gif") \
  X(NuvMsg_ExportAsPNG, "as &PNG") \
  X(NuvMsg_ExportPNGFilesPngPng, "PNG files (*.png)|*.png") \
  X(NuvMsg_ExportAsPCX, "as PC&X") \
  X(NuvMsg_ExportPCXFilesPcxPcx, "PCX files (*.pcx)|*.pcx") \
  X(NuvMsg_ExportAsVMLHTM, "as &VML (HTM)") \
  X(NuvMsg_ExportVMLFilesHtmHtm, "VML files (*.htm)|*.htm") \
  X(NuvMsg_ExportAsPDF, "as &PDF") \
  X(NuvMsg_ExportPDFFilesPdfPdf, "PDF files (*.pdf)|*.pdf") \
  X(NuvMsg_ExportAsPostScript, "as PostScript") \
  X(NuvMsg_ExportPostScriptFilesEpsEps, "PostScript files (*.eps)|*.eps") \
  X(NuvMsg_ExportSpaceDelimitedTextFilesTxtTxt, "Space delimited text files (*.txt)|*.txt") \
  X(NuvMsg_ExportTabDelimitedTextFilesTxtTxt, "Tab delimited text files (*.txt)|*.txt") \
  X(NuvMsg_ExportCommaDelimitedTextFilesCsvCsv, "Comma delimited text files (*.csv)|*.csv") \
  X(NuvMsg_ExportColonDelimitedTextFilesTxtTxt, "Colon delimited text files (*.txt)|*.txt") \
  X(NuvMsg_ExportCustomDelimitedTextFilesTxtTxt, "Custom delimited text files (*.txt)|*.txt") \
  X(NuvMsg_ExportXMLFilesXmlXml, "XML files (*.xml)|*.xml") \
  X(NuvMsg_ExportHTMLFilesHtmHtm, "HTML files (*.htm)|*.htm") \
  X(NuvMsg_ExportMicrosoftExcelFilesXlsXls, "Microsoft Excel files (*.xls)|*.xls") \
  X(NuvMsg_ExportAsSVG, "as &SVG") \
  X(NuvMsg_ExportSVGFilesSvgSvg, "SVG files (*.svg)|*.svg") \
  X(NuvMsg_MessageLegendColorWidthMustBeGt0Pct, "Legend Color Width must be > 0%") \
  X(NuvMsg_MessageLogarithmicAxisMinAndMaxValuesShouldBeGt, "Logarithmic Axis Min and Max values should be >= 0") \
  X(NuvMsg_Message16kColorOrGreaterRequiredToGetBetterLook, "16k Color or greater required to get better look") \
  X(NuvMsg_MessageRefreshIntervalMustBeBetween0And60, "Refresh Interval must be between 0 and 60") \
  X(NuvMsg_MessageSeriesParentChartIsNotMyself, "Series.ParentChart is not myself!") \
  X(NuvMsg_MessagePctsInvalidEditorClassPcts, "%s: Invalid Editor Class: %s") \
  X(NuvMsg_MessagePctsHasNoEditorDialog, "%s: has no Editor Dialog") \
  X(NuvMsg_MessageIncorrectValueReasonPcts, "Incorrect value. Reason: %s") \
  X(NuvMsg_MessageFieldPctsDoesNotExist, "Field %s does not exist") \
  X(NuvMsg_MessagePanelPropertyIsNotSetInExportFormat, "Panel property is not set in Export format") \
  X(NuvMsg_MessageCanNotFindTempFolder, "Can not find Temp folder") \
  X(NuvMsg_MessageCanNotCreateTempFile, "Can not create Temp file") \
  X(NuvMsg_MessageCanNotEmailNuvChartMapiErrorPctd, "Can not email NuvChart. Mapi Error: %d") \
  X(NuvMsg_MessageNoSeriesSelected, "No Series selected") \
  X(NuvMsg_MessageErrorCodePctdDownloadingChartFromURLPcts, "Error code: %d downloading Chart from URL: %s") \
  X(NuvMsg_MessageErrorCodePctdDownloadingSeriesDataFromUR, "Error code: %d downloading Series data from URL: %s") \
  X(NuvMsg_ExpFormat, "#.0 \"x10\" E+0") \

#define NUV_DECLARE_MESSAGE(id, text) extern std::string id;
NUV_MESSAGE_TEXTS(NUV_DECLARE_MESSAGE)
#undef NUV_DECLARE_MESSAGE

// Extension of chart template files and their file filter "NuvChart files (*.nuv)|*.nuv".
extern const char* const NuvTemplateExtension;
extern std::string NuvMsg_TemplateFilter;

// Counted: the first start-up fills the texts, the last shut-down clears them. Start-up runs
// automatically before main; units that read texts while the program starts may call it first.
void NuvConstStartup();
void NuvConstShutdown();
// Starts the unit when made and shuts it down when freed; one lives for the whole program.
struct TNuvConstUnit {
  TNuvConstUnit();
  ~TNuvConstUnit();
  TNuvConstUnit(const TNuvConstUnit&) = delete;
  TNuvConstUnit& operator=(const TNuvConstUnit&) = delete;
};

// Every text variable of the table, in table order.
std::vector<const std::string*> NuvAllMessages();
