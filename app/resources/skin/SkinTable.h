#pragma once

// The table of every picture the program loads: name, size, how it is drawn and with which words,
// and where it sits (its host picture and position), so that a control's picture is drawn over the
// very background it will cover and blends into its page. Pictures whose size the pages do not state
// are sized to the room their page leaves them.

#include "Icons.h"

#include <QRect>
#include <QString>

#include <vector>

namespace skin {

enum class Kind {
    Page,          // full page picture (decor below)
    Dialog,        // smaller dialog picture with an amber top band (decor below)
    Alert,         // dialog whose message is part of the picture: text = title, detail = message
    Tile,          // icon above a label (home screen sections, Home, Exit)
    WideTile,      // icon left, label and detail right (settings hub)
    IconButton,    // icon above a short label, smaller
    Switch,        // pill switch with the module's name (text, may be empty)
    Segmented,     // two halves, text | detail, one highlighted
    Choice,        // a value to choose: text (and a smaller detail line)
    Action,        // a command word (OK, Save, Cancel ...), optional icon
    Caption,       // words only, no face (text; detail: secondary line)
    TimeCaption,   // caption with three time fields at the wake-up page's edit positions
    CodeCaption,   // caption framing the wake code's two fields
    Indicator,     // a lamp with a label and its state
    SliderChannel,
    SliderThumb,
    ComboLeft,     // a combo box face is drawn whole, then cut into its three pictures
    ComboMiddle,
    ComboRight,
};

enum class State {
    Normal,
    Off,        // switch state 0
    On,         // switch state 1
    GreyOff,    // greyed switch showing 0
    GreyOn,     // greyed switch showing 1
    Grey,       // not available
    Unchecked,
    Checked,
    First,      // segmented: first half chosen
    Second,
    GreyFirst,
    Primary,    // green action
    Secondary,  // slate action
    Warning,    // amber
};

struct Picture {
    QString name;
    int width;
    int height;
    Kind kind;
    Icon icon;
    QString text;
    QString detail;
    State state;
    QString host; // picture it is drawn over ("" for pages and dialogs)
    int x;
    int y;
};

// Decoration of a page or dialog picture. Rectangles are in the picture's pixels.
struct Label {
    QString text;
    int x;
    int y;
    int size;         // pixel height of the font
    bool bold;
    bool secondary;   // secondary text colour
};
struct Card {
    QRect rect;
    QString caption;  // light instrument card with a dark caption (pages whose texts are black)
};
struct Decor {
    QString name;
    QString title;            // page title (34 px) or dialog band title
    int band = 0;             // dialogs: height of the amber band
    std::vector<QRect> panels;
    std::vector<Label> labels;
    std::vector<Card> cards;
    std::vector<QRect> fields; // light fields where the page shows dark text or entry boxes
    Icon watermark = Icon::None;
    QRect watermarkRect;
};

// Every picture, pages first (a control is drawn over its host page).
const std::vector<Picture>& AllPictures();
// The decoration of a page or dialog picture, or nullptr.
const Decor* FindDecor(const QString& name);
// Combo box faces: the three numbers and the whole face they are cut from.
struct ComboFace {
    int left;
    int middle;
    int right;
    int leftWidth;
    int middleWidth;
    int rightWidth;
    int leftHeight;
    int middleHeight;
    int rightHeight;
    bool caption;   // the program writes the current text on the face
};
const std::vector<ComboFace>& ComboFaces();

} // namespace skin
