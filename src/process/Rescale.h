// The value logic of the rescale dialog TAxesForm: the three number edits with
// their states, the three unit edits, and what OK writes into a picture.
#pragma once

#include <string>

#include "image/Messages.h"
#include "image/NumberEdit.h"
#include "image/TVKMPicture.h"

enum class TAxesOkResult {
  Refused,      // "Please confirm all values first!" was shown; the dialog stays
  ParseFailed,  // an edit is not a number: it is red now, no message; the dialog stays
  Applied,      // the picture was changed; re-render it (UpdateImage) and hide the dialog
};

// Writes new ranges, units and z range into a picture: XScanRange := x,
// YScanRange := y (single), the units as given, and when |z - d| > z / 1000, with
// d = Max - Min as last computed, every value := value * (z / d) stored as single.
// A flat picture (d = 0, or a range that is not a finite number) keeps its values:
// no factor exists that would give it the range z. Returns true when the values
// were scaled.
bool RescalePicture(TVKMPicture& picture, double x, double y, double z, const std::string& xUnit,
                    const std::string& yUnit, const std::string& zUnit);

// The factor z / d by which RescalePicture multiplies the values; false when the
// values stay (no matrix, a flat picture, z within a thousandth of d).
bool RescaleFactor(const TVKMPicture& picture, double z, long double& factor);

// True when every finite value times `factor` is still a finite single.
bool RescaledValuesFinite(const TVKMPicture& picture, long double factor);

class TAxesModel {
 public:
  TNumberEdit Edit1;  // X range
  TNumberEdit Edit2;  // Y range
  TNumberEdit Edit3;  // Z range
  std::string Edit4;  // X unit
  std::string Edit5;  // Y unit
  std::string Edit6;  // Z unit

  // Fills the edits from the picture: the scan ranges and Max - Min in the general
  // number format, and the three units. The edits' states are not reset.
  void FormShow(const TVKMPicture& picture, char sep);

  // A key in a number edit is TNumberEdit::KeyDown; Enter is AcceptAndRewriteSingle
  // (a number a single can hold, rewritten in the general number format, white;
  // otherwise red).

  // OK: refuses while a number edit is red; then parses Edit1, Edit2, Edit3 in
  // this order (each turns white when it parses, the first that does not, or is
  // beyond the single range, stays red and ends OK without a message); a z range
  // that would make any value infinite turns Edit3 red likewise; then writes into
  // `picture` (nullptr: no image window is current, nothing is written, the dialog
  // hides).
  TAxesOkResult BitBtn2Click(TVKMPicture* picture, Messages& messages, char sep);
};
