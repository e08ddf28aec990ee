#include "app/commandline.h"

#include <cmath>
#include <optional>

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QRegularExpression>

#include "app/colourrangetext.h"
#include "app/outputpaths.h"
#include "formats/webaddress.h"
#include "meshes/meshfile.h"
#include "meshes/meshsettings.h"
#include "objects/colourmaps.h"
#include "view/turntablefile.h"

namespace {

constexpr char kFile[] = "FILE";
constexpr char kFileDescription[] =
    "A picture, a measured raster, a point-grid text file or the http:// or https:// address "
    "of a GeoTIFF; with --output, any number of them.";

// The usage lines name the program as installed, whatever path it was
// started by: the text is also the source of the manual page.
QStringList Synopsis() {
  return {
      QStringLiteral("cubiscope [--watch] [--colours FILE] [FILE]"),
      QStringLiteral("cubiscope --output PICTURE [picture options] [--colours FILE] [FILE...]"),
      QStringLiteral("cubiscope --profile CSV [--planes X,Y,Z] [--output PICTURE ...] [FILE...]"),
      QStringLiteral("cubiscope --export-mesh MESH [mesh options] [--output PICTURE ...] "
                     "[FILE...]")};
}

QCommandLineOption ValueOption(const char* name, const char* value, const char* description) {
  return QCommandLineOption(QString::fromLatin1(name), QString::fromUtf8(description),
                            QString::fromLatin1(value));
}

// The colour maps by their names, with what the help says of each or alone:
// "grey (default), viridis, ...".
QString ColourMapList(bool notes) {
  QStringList items;
  for (const ColourMapName& map : kColourMaps) {
    QString item = QString::fromUtf8(map.name.data(), static_cast<qsizetype>(map.name.size()));
    if (notes && !map.note.empty())
      item += QLatin1Char(' ') +
              QString::fromUtf8(map.note.data(), static_cast<qsizetype>(map.note.size()));
    items << item;
  }
  return items.join(QStringLiteral(", "));
}

// Every option, its description and the usage text come from here.
struct Parser {
  QCommandLineParser parser;
  QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")},
                          QStringLiteral("Show this help and exit.")};
  QCommandLineOption version{{QStringLiteral("v"), QStringLiteral("version")},
                             QStringLiteral("Show the name and version and exit.")};
  QCommandLineOption colours = ValueOption(
      "colours", "FILE",
      "Load the picture FILE as the volume of its colour counts, as a file dropped with Shift "
      "held is loaded (a text file goes to the surface).");
  QCommandLineOption watch{
      QStringLiteral("watch"),
      QStringLiteral("Load FILE and the --colours FILE again whenever another program has "
                     "changed them, as \"Reload when the file changes\" in the picture's "
                     "menu does. Needs a file; not with --output. A web address is read once.")};
  QCommandLineOption output = ValueOption(
      "output", "PICTURE",
      "Draw the picture to the file PICTURE (PNG; JPEG or BMP when the name ends in .jpg, "
      ".jpeg or .bmp) without showing any window, and exit: 0 when it is written, 1 when a "
      "file cannot be loaded or written (the message goes to standard error). Given several "
      "FILEs, draws one picture of each with the same options, and PICTURE names them: "
      "{name} in it stands for the FILE's name without folder and last suffix, {n} for its "
      "place among the FILEs, from 1. A FILE that fails is named with its message and the "
      "others are drawn; the status is then 1. Needs no display: the picture is drawn by "
      "Mesa's OpenGL without any window system (EGL, surfaceless), or where that is missing "
      "through the X display as the windows draw it. The options below are picture options, for "
      "--output only; left "
      "out, each keeps the program's start value.");
  QCommandLineOption profile = ValueOption(
      "profile", "CSV",
      "Write the sections of the surface along the x and y grid planes (--planes) to the CSV "
      "file CSV without showing any window, with or without --output, and exit as --output "
      "does. One header line \"section,distance,x,y,value\", then a line a sample: the "
      "plane, the distance along it (cells of a picture or raster from its first "
      "row or column, metres on the ground for a raster with a known coordinate system, data "
      "units for a point grid), where it lies (map coordinates, else column and row, or data x "
      "and y) and the value there, bilinear between the centres of the data's own cells; a "
      "value is left empty where the data has none. \".\" is the decimal point, whatever the "
      "locale. Given several FILEs, CSV names one file each, as PICTURE does.");
  QCommandLineOption exportMesh = ValueOption(
      "export-mesh", "MESH",
      "Write the whole surface, with its heights at the vertical scale shown, to the mesh file "
      "MESH without showing any window, with or without --output, and exit as --output does. "
      "Its name's suffix tells the format: .stl (binary STL) or .3mf, a closed solid for "
      "printing, in millimetres, standing on the build plate: the surface, walls down from "
      "its edges and the edges of its holes, and a flat base (--mesh-size, --mesh-base); "
      ".glb (binary glTF 2.0, with normals and the colours of the map) or .ply (binary PLY "
      "with colours), the surface alone in data units, for 3-D tools. A point grid that folds "
      "over itself has no single top and is refused for .stl and .3mf. Given several FILEs, "
      "MESH names one file each, as PICTURE does. The picture options (colour map, range, "
      "vertical scale, bands) set the mesh's heights and colours as they set the picture's. "
      "The file appears only when it is complete.");
  QCommandLineOption meshSize = ValueOption(
      "mesh-size", "LENGTH",
      "The longest side across of a printed mesh (.stl, .3mf): millimetres, or a length "
      "ending in mm, cm or in (default 120mm). Heights keep the surface's proportions.");
  QCommandLineOption meshBase = ValueOption(
      "mesh-base", "LENGTH",
      "How far the flat base of a printed mesh lies below its lowest point (default 2mm).");
  QCommandLineOption meshError = ValueOption(
      "mesh-error", "E",
      "Simplify the mesh so that no point of the surface lies further than E from it, "
      "vertically: millimetres (or a length) for .stl and .3mf, data units for .glb and .ply. "
      "Each part of the surface is checked at every one of its points and simplified less "
      "where the bound would not hold. Without it, every point of the grid is written.");
  QCommandLineOption litho = ValueOption(
      "litho", "THIN,THICK[,FRAME]",
      "Make a printed mesh of a picture a lithophane: a plate THIN thick where the picture "
      "is white and THICK where it is black, flat at the back, seen right way round from the "
      "front, with a frame FRAME wide around it at THICK (none without FRAME). Lengths as "
      "--mesh-size; for example 0.8mm,3mm,5mm. --mesh-size sets its width or height, "
      "whichever is longer; --mesh-base does not apply.");
  QCommandLineOption size = ValueOption(
      "size", "WxH",
      "Size of the picture in pixels, 1 to 32768 each (default 640x480). A picture larger than "
      "the renderer draws at once is drawn in parts; one of 32768x32768 takes 4 GB of memory "
      "and more.");
  QCommandLineOption antialias = ValueOption(
      "antialias", "N",
      "Smooth edges: draw the picture at N x N times its pixels and average each N x N block "
      "into one pixel, N = 2, 3 or 4 (1, the default, is off). Takes about N x N times as "
      "long.");
  QCommandLineOption scale = ValueOption(
      "scale", "F",
      "Draw the text, marks and lines over the picture, and the lines of the scene, F times "
      "their size, 0.5 to 8 in steps of 0.01 (default 1): for print, where a poster has many "
      "times a screen's pixels.");
  QCommandLineOption turn = ValueOption(
      "turn", "DEG",
      "Turn of the camera around the vertical axis in degrees, -90 to 180 in steps of 0.01 "
      "(default 45).");
  QCommandLineOption tilt =
      ValueOption("tilt", "DEG",
                  "Height of the camera above the XY plane in degrees, -80 to 80 in steps of 0.01 "
                  "(default 50).");
  QCommandLineOption zoom = ValueOption(
      "zoom", "N",
      "Half the height of the region seen, in data units, 0.0002 to 2.0002 in steps of 0.0002 "
      "(default 1.0002).");
  QCommandLineOption centre = ValueOption(
      "centre", "X,Y,Z",
      "The point the camera looks at and turns about, in data units (default 0.5,0.5,0.5, the "
      "middle of the cube): a close-up of any part of the data.");
  QCommandLineOption bands = ValueOption(
      "bands", "N", "Grey bands of the surface: 1, 2, 4, 8, 16, 32, 64 or 128 (default 8).");
  QCommandLineOption show = ValueOption(
      "show", "LIST",
      "What the line and the surface are drawn as, comma-separated: 3d, xy, yz, zx (the "
      "flattened projections onto the cube's faces); empty for neither (default 3d).");
  QCommandLineOption planes = ValueOption(
      "planes", "X,Y,Z",
      "Places of the x, y and z grid planes in data units, 0 to 1 in steps of 0.001 (default "
      "0,0,0).");
  QCommandLineOption colourMap{
      QStringLiteral("colour-map"),
      QStringLiteral("Colours of the surface's bands: %1.").arg(ColourMapList(true)),
      QStringLiteral("NAME")};
  QCommandLineOption colourBar{QStringLiteral("colour-bar"),
                               QStringLiteral("Draw a bar of the bands' colours at the right "
                                              "edge with the values they stand for: brightness "
                                              "0 to 1 for a picture, the measured values and "
                                              "their unit for a raster, heights for points.")};
  QCommandLineOption axes{QStringLiteral("axes"),
                          QStringLiteral("Draw axes with ticks along three edges of the cube: "
                                         "columns and rows of a picture or raster (its map "
                                         "coordinates where it has them), and its values.")};
  QCommandLineOption light{QStringLiteral("light"),
                           QStringLiteral("Light the surface as a hill-shaded map, from the "
                                          "north-west (azimuth 315) at 45 degrees: level ground "
                                          "keeps its colour, slopes facing the light are "
                                          "brightened and slopes facing away darkened, in the "
                                          "overlay blend, which keeps the colours.")};
  QCommandLineOption lightFrom = ValueOption(
      "light-from", "AZ,ALT|multi",
      "Light the surface from azimuth AZ (degrees clockwise from north, north being the first "
      "row of the data, 0 to 360) and altitude ALT (degrees above the horizon, 0 to 90), or, "
      "with multi, from all sides as multidirectional hill-shading does (lights from 225, 270, "
      "315 and 360 degrees at 45, each weighted by how obliquely it crosses the slope), so "
      "that no slope is in full shadow; implies --light.");
  QCommandLineOption zScale = ValueOption(
      "z-scale", "S",
      "Draw the surface's heights S times as high, 0.05 to 20 in steps of 0.01 (default 1); "
      "its bands and the "
      "colour bar keep the heights' own values.");
  QCommandLineOption contours = ValueOption(
      "contours", "STEP|auto",
      "Draw contour lines over the surface at every whole multiple of STEP of the data's "
      "values (brightness 0 to 1 for a picture, the raster's values in its unit, z for a "
      "point grid), every fifth twice as wide, in the 3-D picture and on the XY face; with "
      "auto at the colour bar's round values. They stop where the surface has holes.");
  QCommandLineOption contourLabels{
      QStringLiteral("contour-labels"),
      QStringLiteral("Write the contour lines' values along them, the stronger lines first, "
                     "where the line runs nearly straight and is seen, never over another "
                     "label or the colour bar. Needs --contours.")};
  QCommandLineOption range = ValueOption(
      "range", "LOW,HIGH|P1%,P2%",
      "The values the surface's bands span, in the data's own terms (brightness 0 to 1 for a "
      "picture, the measured values for a raster, heights for points): from LOW to HIGH, or "
      "from the P1-th to the P2-th percentile of the data's cells that have a value (within "
      "1/10000 of the data's range), for example 2%,98%; full, the default, is the data's "
      "whole range. Values outside take the end bands' colours, and the colour bar marks the "
      "ends so clipped.");
  QCommandLineOption log{
      QStringLiteral("log"),
      QStringLiteral("Space the bands evenly in the logarithm of the values, for data that "
                     "spans decades. Only where the colour range holds positive values alone; "
                     "otherwise a message says so and the bands stay linear.")};
  QCommandLineOption volumeColours{
      QStringLiteral("volume-colours"),
      QStringLiteral("Draw each cell of the colour volume in the colour it stands for, more "
                     "opaque the more pixels hold it, instead of the grey haze.")};
  QCommandLineOption turntable = ValueOption(
      "turntable", "N",
      "Draw N pictures, 1 to 3600, that turn once about the vertical axis through the point the "
      "camera looks at, from --turn on in steps of 360/N degrees (beyond the turn's own range "
      "too), everything else as the other options say; the first is the picture drawn without "
      "--turntable. PICTURE holds {frame}, which stands for the picture's number from 1 ({n} "
      "still stands for the FILE's place), or it ends in .webp: the N pictures then become one "
      "lossless animated WebP, 10 a second, looping.");

  Parser() {
    parser.setApplicationDescription(QStringLiteral(
        "A viewer of three-dimensional data in the unit cube.\n"
        "\n"
        "FILE is loaded as if it had been dropped on the main window: a picture (BMP,\n"
        "PNG, JPEG, GIF, TIFF, WebP or another format that Qt's image plugins read,\n"
        "told by its content, not its name) as a height field, its brightness becoming\n"
        "the height; a raster of measured values (GeoTIFF, TIFF of signed or floating-\n"
        "point samples, SRTM .hgt tile, ESRI ASCII grid, or a GDAL VRT mosaic of such\n"
        "local files: one that names anything else is refused before it is read) as a\n"
        "height field of its values, missing cells left out; any other file as point-\n"
        "grid text: one x, y, z point a line, separated by commas or blanks, a blank\n"
        "line after each row of points.\n"
        "\n"
        "FILE may also be the http:// or https:// address of a GeoTIFF on a web server\n"
        "(a Cloud Optimized GeoTIFF is best), read in parts as the picture needs them:\n"
        "its header, its overviews and the tiles in view. That address, and redirects\n"
        "from it to other http or https addresses, is all the network the program ever\n"
        "reaches: no file and no mosaic makes it reach further, no credentials are\n"
        "read (no .netrc, no GDAL_HTTP_* settings), nothing is kept on disk, and a\n"
        "server that does not answer within seconds is given up.\n"
        "\n"
        "In the main window the arrow keys turn and tilt the picture by 1 degree a\n"
        "press, by 0.01 degree with Shift held; PageUp and PageDown zoom. Dragging\n"
        "with the middle button or with Shift held pans, and so do Ctrl+arrows; the\n"
        "wheel zooms about the point under the cursor; a double-click looks at the\n"
        "data point under it, Home at the cube's middle again. F5 in either window\n"
        "loads the files last opened again, each the same way. A load that takes\n"
        "longer than a moment goes on in the background, with a progress bar over\n"
        "the picture, while the old data can still be turned and read; its Cancel,\n"
        "or Esc in the main window, stops it and keeps what is shown. L switches the\n"
        "light on the surface, K the colour bar, A the axes; the picture's context\n"
        "menu holds these and the colour maps and the vertical scale. Over the\n"
        "picture the cursor's data point is shown beside it. P opens the Profile\n"
        "window: the surface's values along the x and y grid planes and the point\n"
        "line as charts that follow the sliders, to read and to copy or save as\n"
        "CSV."));
    parser.addOptions(Options());
    parser.addPositionalArgument(QLatin1String(kFile), QLatin1String(kFileDescription));
  }

  // In the order --help lists them.
  QList<QCommandLineOption> Options() const {
    return {help,       version,  colours,   watch,     output,        profile,       size,
            antialias,  scale,    turn,      tilt,      zoom,          centre,        bands,
            show,       planes,   colourMap, colourBar, axes,          light,         lightFrom,
            zScale,     range,    log,       contours,  contourLabels, volumeColours, turntable,
            exportMesh, meshSize, meshBase,  meshError, litho};
  }

  // QCommandLineParser's own usage line names the program from the
  // application object, which does not exist yet when the arguments are read.
  QString Usage() const {
    const QString text = parser.helpText();
    return QStringLiteral("Usage: ") + Synopsis().join(QStringLiteral("\n       ")) +
           text.mid(text.indexOf(QLatin1Char('\n')));
  }
};

// A wrong value of an option: what the user is told.
struct BadValue {
  QString text;
};

// A file's absolute path; a web address as given. Another scheme's address
// is refused rather than taken for a file's name.
QString Absolute(const QString& path) {
  const std::string text = path.toStdString();
  if (IsWebAddress(text))
    return path;
  if (HasScheme(text))
    throw BadValue{
        QStringLiteral("Only http:// and https:// addresses can be opened: %1").arg(path)};
  return QFileInfo(path).absoluteFilePath();
}

// text as a number of units (value / unit, rounded) within [lowest, highest]
// units; the range is told in the option's own terms.
int Units(const QString& name, const QString& text, double unit, int lowest, int highest) {
  bool ok = false;
  const double value = text.trimmed().toDouble(&ok);
  const double units = ok ? std::round(value / unit) : 0.0;
  if (!ok || !(units >= lowest && units <= highest)) {
    throw BadValue{QStringLiteral("Option '%1': %2 is not a number from %3 to %4.")
                       .arg(name, text, QString::number(lowest * unit, 'g', 6),
                            QString::number(highest * unit, 'g', 6))};
  }
  return static_cast<int>(units);
}

// Posters: drawn in tiles where the renderer cannot draw them at once.
constexpr int kMaxSide = 32768;

QSize SizeOf(const QString& text) {
  static const QRegularExpression form(
      QStringLiteral("^\\s*(\\d{1,5})\\s*[x×X]\\s*(\\d{1,5})\\s*$"));
  const QRegularExpressionMatch m = form.match(text);
  const int w = m.hasMatch() ? m.captured(1).toInt() : 0;
  const int h = m.hasMatch() ? m.captured(2).toInt() : 0;
  if (w < 1 || w > kMaxSide || h < 1 || h > kMaxSide) {
    throw BadValue{QStringLiteral("Option 'size': %1 is not a size WxH of 1 to %2 pixels each.")
                       .arg(text)
                       .arg(kMaxSide)};
  }
  return QSize(w, h);
}

int BandsOf(const QString& text) {
  bool ok = false;
  const int n = text.trimmed().toInt(&ok);
  if (!ok || n < 1 || n > 128 || (n & (n - 1)) != 0)
    throw BadValue{
        QStringLiteral("Option 'bands': %1 is not 1, 2, 4, 8, 16, 32, 64 or 128.").arg(text)};
  return n;
}

int TurntableOf(const QString& text) {
  bool ok = false;
  const int n = text.trimmed().toInt(&ok);
  if (!ok || n < 1 || n > 3600)
    throw BadValue{
        QStringLiteral("Option 'turntable': %1 is not a whole number from 1 to 3600.").arg(text)};
  return n;
}

// A turntable's frames each need a path of their own, or one animation.
void CheckTurntablePattern(const QString& pattern) {
  const bool placeholder = pattern.contains(QLatin1String("{frame}"));
  if (cTurntableFile::IsAnimation(pattern) && placeholder) {
    throw BadValue{
        QStringLiteral("Option 'turntable': PICTURE ends in .webp, one file for all "
                       "frames, and cannot hold {frame}.")};
  }
  if (!cTurntableFile::IsAnimation(pattern) && !placeholder)
    throw BadValue{
        QStringLiteral("Option 'turntable': PICTURE must hold {frame} or end in .webp.")};
}

void ShowOf(const QString& text, bool (&show)[4]) {
  static const QString kinds[4] = {QStringLiteral("3d"), QStringLiteral("xy"), QStringLiteral("yz"),
                                   QStringLiteral("zx")};
  for (bool& s : show)
    s = false;
  for (const QString& item : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
    int k = 0;
    while (k < 4 && kinds[k].compare(item.trimmed(), Qt::CaseInsensitive) != 0)
      ++k;
    if (k == 4) {
      throw BadValue{
          QStringLiteral("Option 'show': %1 is not one of 3d, xy, yz, zx.").arg(item.trimmed())};
    }
    show[k] = true;
  }
}

void PlanesOf(const QString& text, int (&planes)[3]) {
  const QStringList items = text.split(QLatin1Char(','));
  if (items.size() != 3)
    throw BadValue{QStringLiteral("Option 'planes': %1 is not three places X,Y,Z.").arg(text)};
  for (int i = 0; i < 3; ++i)
    planes[i] = Units(QStringLiteral("planes"), items[i], 0.001, 0, 1000);
}

void CentreOf(const QString& text, Vec3& centre) {
  const QStringList items = text.split(QLatin1Char(','));
  double values[3] = {};
  bool ok = items.size() == 3;
  for (int i = 0; ok && i < 3; ++i) {
    values[i] = items[i].trimmed().toDouble(&ok);
    ok = ok && std::isfinite(values[i]);
  }
  if (!ok)
    throw BadValue{QStringLiteral("Option 'centre': %1 is not three numbers X,Y,Z.").arg(text)};
  centre = {values[0], values[1], values[2]};
}

// A step between contour lines: a positive number, or 0 for auto.
double ContourStepOf(const QString& text) {
  if (text.trimmed().compare(QLatin1String("auto"), Qt::CaseInsensitive) == 0)
    return 0.0;
  bool ok = false;
  const double step = text.trimmed().toDouble(&ok);
  if (!ok || !std::isfinite(step) || step <= 0.0)
    throw BadValue{
        QStringLiteral("Option 'contours': %1 is not a number above 0 or auto.").arg(text)};
  return step;
}

// A length option's value in millimetres. Throws BadValue.
double LengthOf(const QString& option, const QString& text, bool positive) {
  const std::optional<double> length = ParseLength(text, positive);
  if (!length)
    throw BadValue{
        QStringLiteral("Option '%1': %2 is not a length such as 120mm.").arg(option, text)};
  return *length;
}

// The mesh options of parser's command line, into settings. Throws BadValue.
void ReadMesh(const Parser& p, MeshSettings& settings) {
  const QCommandLineParser& parser = p.parser;
  if (parser.isSet(p.meshSize))
    settings.sizeMm = LengthOf(QStringLiteral("mesh-size"), parser.value(p.meshSize), true);
  if (parser.isSet(p.meshBase))
    settings.baseMm = LengthOf(QStringLiteral("mesh-base"), parser.value(p.meshBase), true);
  if (parser.isSet(p.meshError)) {
    settings.maxError = ParseMeshError(parser.value(p.meshError));
    if (!settings.maxError)
      throw BadValue{QStringLiteral("Option 'mesh-error': %1 is not a length or number above 0.")
                         .arg(parser.value(p.meshError))};
  }
  if (parser.isSet(p.litho)) {
    settings.litho = ParseLitho(parser.value(p.litho));
    if (!settings.litho)
      throw BadValue{QStringLiteral("Option 'litho': %1 is not THIN,THICK[,FRAME] with THIN "
                                    "below THICK, such as 0.8mm,3mm.")
                         .arg(parser.value(p.litho))};
  }
}

// The paths pattern makes for files (MakeOutputPaths); none for no pattern.
// Throws BadValue.
QStringList PathsOf(const QString& pattern, const QStringList& files, const QString& coloursFile) {
  if (pattern.isEmpty())
    return {};
  const OutputPaths paths = MakeOutputPaths(pattern, files, coloursFile);
  if (const QString* wrong = std::get_if<QString>(&paths))
    throw BadValue{*wrong};
  return std::get<QStringList>(paths);
}

// The picture options of parser's command line, into request. Throws BadValue.
void ReadPicture(const Parser& p, PictureRequest& request) {
  const QCommandLineParser& parser = p.parser;
  if (parser.isSet(p.size))
    request.size = SizeOf(parser.value(p.size));
  if (parser.isSet(p.turn))
    request.theta = Units(QStringLiteral("turn"), parser.value(p.turn), 0.01, -9000, 18000);
  if (parser.isSet(p.tilt))
    request.height = Units(QStringLiteral("tilt"), parser.value(p.tilt), 0.01, -8000, 8000);
  if (parser.isSet(p.zoom))
    request.zoom = Units(QStringLiteral("zoom"), parser.value(p.zoom), 0.0002, 1, 10001);
  if (parser.isSet(p.centre))
    CentreOf(parser.value(p.centre), request.centre);
  if (parser.isSet(p.bands))
    request.bands = BandsOf(parser.value(p.bands));
  if (parser.isSet(p.show))
    ShowOf(parser.value(p.show), request.show);
  if (parser.isSet(p.planes))
    PlanesOf(parser.value(p.planes), request.planes);
  if (parser.isSet(p.turntable))
    request.turntable = TurntableOf(parser.value(p.turntable));
  PictureLook& look = request.look;
  if (parser.isSet(p.colourMap)) {
    const QString name = parser.value(p.colourMap).trimmed().toLower();
    const std::optional<ColourMapKind> map = ColourMapNamed(name.toStdString());
    if (!map) {
      throw BadValue{QStringLiteral("Option 'colour-map': %1 is not one of %2.")
                         .arg(parser.value(p.colourMap), ColourMapList(false))};
    }
    look.colourMap = *map;
  }
  look.colourBar = parser.isSet(p.colourBar);
  look.axes = parser.isSet(p.axes);
  look.volumeColours = parser.isSet(p.volumeColours);
  look.light = parser.isSet(p.light) || parser.isSet(p.lightFrom);
  if (parser.isSet(p.lightFrom) && parser.value(p.lightFrom) == QLatin1String("multi")) {
    look.lightSource.allSides = true;
  } else if (parser.isSet(p.lightFrom)) {
    const QStringList items = parser.value(p.lightFrom).split(QLatin1Char(','));
    if (items.size() != 2) {
      throw BadValue{QStringLiteral("Option 'light-from': %1 is not two angles AZ,ALT.")
                         .arg(parser.value(p.lightFrom))};
    }
    look.lightSource.azimuth =
        Units(QStringLiteral("light-from"), items[0], 0.01, 0, 36000) / 100.0;
    look.lightSource.altitude =
        Units(QStringLiteral("light-from"), items[1], 0.01, 0, 9000) / 100.0;
  }
  if (parser.isSet(p.antialias)) {
    look.antialias = Units(QStringLiteral("antialias"), parser.value(p.antialias), 1, 1,
                           PictureLook::kMaxAntialias);
  }
  if (parser.isSet(p.scale)) {
    look.scale = Units(QStringLiteral("scale"), parser.value(p.scale), 0.01,
                       static_cast<int>(PictureLook::kMinScale * 100),
                       static_cast<int>(PictureLook::kMaxScale * 100)) /
                 100.0;
  }
  if (parser.isSet(p.contours)) {
    look.contours = true;
    look.contourStep = ContourStepOf(parser.value(p.contours));
  }
  look.contourLabels = parser.isSet(p.contourLabels);
  if (look.contourLabels && !look.contours)
    throw BadValue{QStringLiteral("Option 'contour-labels' needs --contours.")};
  if (parser.isSet(p.range)) {
    const auto read = ReadColourRange(parser.value(p.range));
    if (const QString* wrong = std::get_if<QString>(&read))
      throw BadValue{QStringLiteral("Option 'range': %1").arg(*wrong)};
    look.colourRange = std::get<ColourRange>(read);
  }
  look.logColours = parser.isSet(p.log);
  if (parser.isSet(p.zScale)) {
    look.zScale = Units(QStringLiteral("z-scale"), parser.value(p.zScale), 0.01,
                        static_cast<int>(PictureLook::kMinZScale * 100),
                        static_cast<int>(PictureLook::kMaxZScale * 100)) /
                  100.0;
  }
}

}  // namespace

QStringList ArgumentsOf(int argc, char** argv) {
  QStringList arguments;
  for (int i = 0; i < argc; ++i)
    arguments.append(QString::fromLocal8Bit(argv[i]));
  return arguments;
}

CommandLineOutcome ReadCommandLine(const QStringList& arguments) {
  Parser p;
  CommandLineOutcome outcome;
  try {
    if (!p.parser.parse(arguments))
      throw BadValue{p.parser.errorText()};
    if (p.parser.isSet(p.help)) {
      outcome.exitCode = 0;
      outcome.text = p.Usage();
      return outcome;
    }
    if (p.parser.isSet(p.version)) {
      outcome.exitCode = 0;
      outcome.text = QStringLiteral("cubiscope " CUBISCOPE_VERSION "\n");
      return outcome;
    }
    const bool output = p.parser.isSet(p.output);
    const bool profile = p.parser.isSet(p.profile);
    const bool mesh = p.parser.isSet(p.exportMesh);
    QStringList files;
    for (const QString& file : p.parser.positionalArguments())
      files.append(Absolute(file));
    if (files.size() > 1 && !output && !profile && !mesh)
      throw BadValue{QStringLiteral("Only one FILE can be named without --output.")};
    for (const QCommandLineOption* o :
         {&p.size,      &p.antialias, &p.scale,  &p.turn,      &p.tilt,          &p.zoom,
          &p.centre,    &p.bands,     &p.show,   &p.colourMap, &p.colourBar,     &p.axes,
          &p.light,     &p.lightFrom, &p.zScale, &p.contours,  &p.contourLabels, &p.volumeColours,
          &p.turntable, &p.range,     &p.log}) {
      if (!output && !mesh && p.parser.isSet(*o)) {
        throw BadValue{
            QStringLiteral("Option '%1' is for --output only.").arg(o->names().constFirst())};
      }
    }
    for (const QCommandLineOption* o : {&p.meshSize, &p.meshBase, &p.meshError, &p.litho}) {
      if (!mesh && p.parser.isSet(*o)) {
        throw BadValue{
            QStringLiteral("Option '%1' is for --export-mesh only.").arg(o->names().constFirst())};
      }
    }
    if (!output && !profile && p.parser.isSet(p.planes))
      throw BadValue{QStringLiteral("Option 'planes' is for --output or --profile only.")};
    if (p.parser.isSet(p.watch)) {
      if (output || profile)
        throw BadValue{QStringLiteral("Option 'watch' is not for --output or --profile.")};
      if (mesh)
        throw BadValue{QStringLiteral("Option 'watch' is not for --export-mesh.")};
      if (p.parser.positionalArguments().isEmpty() && !p.parser.isSet(p.colours))
        throw BadValue{QStringLiteral("Option 'watch' needs a FILE or --colours FILE.")};
      outcome.options.watch = true;
    }
    ReadPicture(p, outcome.options.picture);
    ReadMesh(p, outcome.options.picture.mesh);
    if (p.parser.isSet(p.colours))
      outcome.options.coloursFile = Absolute(p.parser.value(p.colours));
    if (output || profile || mesh) {
      CommandLine& options = outcome.options;
      options.output = output ? Absolute(p.parser.value(p.output)) : QString();
      options.profile = profile ? Absolute(p.parser.value(p.profile)) : QString();
      options.mesh = mesh ? Absolute(p.parser.value(p.exportMesh)) : QString();
      if (mesh && !MeshFormatOf(options.mesh))
        throw BadValue{QStringLiteral("Option 'export-mesh': %1 does not end in .stl, .3mf, .glb "
                                      "or .ply.")
                           .arg(p.parser.value(p.exportMesh))};
      if (options.picture.turntable > 0)
        CheckTurntablePattern(options.output);
      const QStringList pictures = PathsOf(options.output, files, options.coloursFile);
      const QStringList profiles = PathsOf(options.profile, files, options.coloursFile);
      const QStringList meshes = PathsOf(options.mesh, files, options.coloursFile);
      const qsizetype count = std::max({pictures.size(), profiles.size(), meshes.size()});
      for (qsizetype i = 0; i < count; ++i) {
        const QString picture = output ? pictures[i] : QString();
        const QString csv = profile ? profiles[i] : QString();
        // A run must never write one file over another of its own.
        if (output && profile && pictures.contains(csv))
          throw BadValue{
              QStringLiteral("Option 'profile': %1 is also the path of a picture.").arg(csv)};
        const QString meshPath = mesh ? meshes[i] : QString();
        if (mesh && (pictures.contains(meshPath) || profiles.contains(meshPath)))
          throw BadValue{
              QStringLiteral("Option 'export-mesh': %1 is also the path of another file.")
                  .arg(meshPath)};
        options.pictures.push_back(
            {i < files.size() ? files[i] : QString(), picture, csv, meshPath});
      }
    }
    if (!files.isEmpty())
      outcome.options.file = files.constFirst();
  } catch (const BadValue& bad) {
    outcome = CommandLineOutcome();
    outcome.exitCode = 2;
    outcome.text = bad.text + QLatin1Char('\n') + p.Usage();
    return outcome;
  }
  return outcome;
}

QString UsageText() {
  return Parser().Usage();
}

UsageParts UsageOf() {
  const Parser p;
  UsageParts parts;
  parts.synopsis = Synopsis();
  parts.description = p.parser.applicationDescription();
  parts.options = p.Options();
  parts.argument = QLatin1String(kFile);
  parts.argumentDescription = QLatin1String(kFileDescription);
  return parts;
}
