// A redraw recorded by real GDI: the module draws on an enhanced-metafile
// device context, and the metafile's records are read back, in order, into the
// same drawing operations as the Linux stand-in makes. An enhanced metafile
// keeps every GDI call with its arguments; the state an operation used (text,
// pen and brush colours, whether a path is open) is tracked here while the
// records are read.
//
// The host's own set-up of the device context (pen, text colour, brush,
// background) is recorded before a comment record that marks where the
// module's drawing starts; only what follows it becomes operations.
#include <cstring>
#include <map>

#include "platform/recording.h"

namespace {

constexpr COLORREF kScreenGreen = RGB(0, 255, 0);
constexpr char kModuleDrawingStarts[] = "gyrelle:redraw";  // a GdiComment's bytes

// The colour of a stock brush (GetStockObject index), as a selection record names it.
COLORREF stockBrushColour(DWORD index) {
  switch (index) {
    case WHITE_BRUSH:
      return RGB(255, 255, 255);
    case LTGRAY_BRUSH:
      return RGB(192, 192, 192);
    case GRAY_BRUSH:
      return RGB(128, 128, 128);
    case DKGRAY_BRUSH:
      return RGB(64, 64, 64);
    default:
      return RGB(0, 0, 0);  // BLACK_BRUSH; NULL_BRUSH fills nothing
  }
}

// Reads the records of one metafile into operations.
class RecordReader {
 public:
  explicit RecordReader(std::vector<GdiOp>& ops) : ops_(ops) {}

  void read(const ENHMETARECORD& record) {
    switch (record.iType) {
      case EMR_GDICOMMENT:
        onComment(reinterpret_cast<const EMRGDICOMMENT&>(record));
        break;
      case EMR_CREATEPEN:
        onCreatePen(reinterpret_cast<const EMRCREATEPEN&>(record));
        break;
      case EMR_CREATEBRUSHINDIRECT:
        onCreateBrush(reinterpret_cast<const EMRCREATEBRUSHINDIRECT&>(record));
        break;
      case EMR_SELECTOBJECT:
        onSelect(reinterpret_cast<const EMRSELECTOBJECT&>(record).ihObject);
        break;
      case EMR_DELETEOBJECT:
        objects_.erase(reinterpret_cast<const EMRDELETEOBJECT&>(record).ihObject);
        break;
      case EMR_SETTEXTCOLOR:
        textColour_ = reinterpret_cast<const EMRSETTEXTCOLOR&>(record).crColor;
        if (drawing_) add(GdiOpKind::SetTextColor).colour = textColour_;
        break;
      case EMR_SETBKMODE:
        if (drawing_)
          add(GdiOpKind::SetBkMode).mode =
              static_cast<int32_t>(reinterpret_cast<const EMRSETBKMODE&>(record).iMode);
        break;
      case EMR_EXTTEXTOUTA:
      case EMR_EXTTEXTOUTW:
        if (drawing_) onText(reinterpret_cast<const EMREXTTEXTOUTA&>(record), record.iType);
        break;
      case EMR_MOVETOEX:
        if (drawing_) point(GdiOpKind::MoveTo, reinterpret_cast<const EMRMOVETOEX&>(record).ptl);
        break;
      case EMR_LINETO:
        if (drawing_)
          point(GdiOpKind::LineTo, reinterpret_cast<const EMRLINETO&>(record).ptl).colour =
              penColour_;
        break;
      case EMR_ANGLEARC:
        if (drawing_) onAngleArc(reinterpret_cast<const EMRANGLEARC&>(record));
        break;
      case EMR_BEGINPATH:
        if (drawing_) add(GdiOpKind::BeginPath);
        inPath_ = true;
        break;
      case EMR_ENDPATH:
        inPath_ = false;
        if (drawing_) add(GdiOpKind::EndPath);
        break;
      case EMR_STROKEANDFILLPATH:
        if (drawing_) {
          GdiOp& op = add(GdiOpKind::StrokeAndFill);
          op.colour = brushColour_;
          op.penColour = penColour_;
        }
        break;
      default:
        break;  // header, end of file and calls a module does not make
    }
  }

 private:
  struct Object {
    bool pen;
    COLORREF colour;
  };

  std::vector<GdiOp>& ops_;
  std::map<DWORD, Object> objects_;  // the metafile's object table by index
  bool drawing_ = false;             // past the host's set-up
  bool inPath_ = false;
  COLORREF textColour_ = RGB(0, 0, 0);
  COLORREF penColour_ = RGB(0, 0, 0);
  COLORREF brushColour_ = RGB(255, 255, 255);  // a fresh device context's stock white brush

  GdiOp& add(GdiOpKind kind) {
    ops_.push_back(GdiOp{});
    GdiOp& op = ops_.back();
    op.kind = kind;
    op.inPath = inPath_;
    return op;
  }

  GdiOp& point(GdiOpKind kind, const POINTL& at) {
    GdiOp& op = add(kind);
    op.x = at.x;
    op.y = at.y;
    return op;
  }

  void onComment(const EMRGDICOMMENT& comment) {
    const size_t n = sizeof kModuleDrawingStarts;
    if (comment.cbData == n && std::memcmp(comment.Data, kModuleDrawingStarts, n) == 0)
      drawing_ = true;
  }

  void onCreatePen(const EMRCREATEPEN& pen) {
    objects_[pen.ihPen] = Object{true, pen.lopn.lopnColor};
  }

  void onCreateBrush(const EMRCREATEBRUSHINDIRECT& brush) {
    objects_[brush.ihBrush] = Object{false, brush.lb.lbColor};
  }

  void onSelect(DWORD index) {
    COLORREF brush = 0;
    if (index & ENHMETA_STOCK_OBJECT) {
      const DWORD stock = index & ~ENHMETA_STOCK_OBJECT;
      if (stock > NULL_BRUSH) return;  // a stock pen, font or palette
      brush = stockBrushColour(stock);
    } else {
      auto found = objects_.find(index);
      if (found == objects_.end()) return;
      if (found->second.pen) {
        penColour_ = found->second.colour;
        return;
      }
      brush = found->second.colour;
    }
    brushColour_ = brush;
    if (drawing_) add(GdiOpKind::SelectObject).colour = brush;
  }

  // The text of a text record: single bytes as drawn. Wide text (what GDI
  // records for TextOutA on most systems) goes back through the ANSI code page
  // it was converted from.
  void onText(const EMREXTTEXTOUTA& record, DWORD type) {
    const EMRTEXT& text = record.emrtext;
    const auto* base = reinterpret_cast<const char*>(&record);
    GdiOp& op = point(GdiOpKind::Text, text.ptlReference);
    op.colour = textColour_;
    if (text.nChars == 0) return;
    if (type == EMR_EXTTEXTOUTA) {
      op.text.assign(base + text.offString, text.nChars);
      return;
    }
    const auto* wide = reinterpret_cast<const wchar_t*>(base + text.offString);
    const int wideLength = static_cast<int>(text.nChars);
    const int n = WideCharToMultiByte(CP_ACP, 0, wide, wideLength, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return;
    op.text.resize(static_cast<size_t>(n));
    WideCharToMultiByte(CP_ACP, 0, wide, wideLength, &op.text[0], n, nullptr, nullptr);
  }

  void onAngleArc(const EMRANGLEARC& arc) {
    GdiOp& op = point(GdiOpKind::AngleArc, arc.ptlCenter);
    op.radius = arc.nRadius;
    op.startDeg = arc.eStartAngle;
    op.sweepDeg = arc.eSweepAngle;
    op.colour = penColour_;
  }
};

int CALLBACK readRecord(HDC, HANDLETABLE*, const ENHMETARECORD* record, int, LPARAM reader) {
  reinterpret_cast<RecordReader*>(reader)->read(*record);
  return 1;  // go on
}

}  // namespace

struct Recording::Surface {
  HDC dc = nullptr;
  HPEN pen = nullptr;
  std::vector<GdiOp> ops;  // storage of an earlier recording, read into again
  std::vector<std::string> spareText;
};

Recording::Recording(uint32_t /*width*/, uint32_t /*height*/) : surface_(new Surface) {
  // The reference device is the screen (null); the picture frame follows the drawing.
  HDC dc = CreateEnhMetaFileA(nullptr, nullptr, nullptr, nullptr);
  surface_->dc = dc;
  if (dc == nullptr) return;
  surface_->pen = CreatePen(PS_SOLID, 1, kScreenGreen);
  SelectObject(dc, surface_->pen);
  SelectObject(dc, GetStockObject(BLACK_BRUSH));
  SetTextColor(dc, kScreenGreen);
  SetBkColor(dc, RGB(0, 0, 0));
  SetBkMode(dc, OPAQUE);
  GdiComment(dc, sizeof kModuleDrawingStarts, reinterpret_cast<const BYTE*>(kModuleDrawingStarts));
}

Recording::~Recording() {
  if (surface_->dc != nullptr) DeleteEnhMetaFile(CloseEnhMetaFile(surface_->dc));
  if (surface_->pen != nullptr) DeleteObject(surface_->pen);
}

HDC Recording::dc() const { return surface_->dc; }

void Recording::reuse(std::vector<GdiOp>& ops, std::vector<std::string>& spareText) {
  surface_->ops.swap(ops);
  surface_->ops.clear();
  surface_->spareText.swap(spareText);
}

std::vector<GdiOp> Recording::finish() {
  std::vector<GdiOp> ops;
  std::vector<std::string> spareText;
  finish(ops, spareText);
  return ops;
}

void Recording::finish(std::vector<GdiOp>& ops, std::vector<std::string>& spareText) {
  ops.swap(surface_->ops);
  spareText.swap(surface_->spareText);
  if (surface_->dc == nullptr) return;
  HENHMETAFILE metafile = CloseEnhMetaFile(surface_->dc);
  surface_->dc = nullptr;
  if (metafile == nullptr) return;
  RecordReader reader(ops);
  EnumEnhMetaFile(nullptr, metafile, readRecord, &reader, nullptr);
  DeleteEnhMetaFile(metafile);
}
