#pragma once
// The custom zoom dialog: a spin box of percent and a track bar that spans 1..100 % in steps of
// 1 and 105..600 % in steps of 5.

#include <QDialog>

class QSlider;
class QSpinBox;

int ZoomTrackOf(int percent); // the track position, clamped to 1..200
int ZoomPercentOf(int track);

// The spin box and the track without widgets: the track follows the spin box without writing
// back, so a typed 700 stays 700 with the track at its end.
class TZoomModel {
public:
    explicit TZoomModel(int percent);
    int Percent() const { return FPercent; }
    int Track() const { return FTrack; }
    void SpinChanged(int percent);
    void TrackMoved(int track);

private:
    int FPercent, FTrack;
};

class TdlgZoom : public QDialog {
public:
    TdlgZoom(int percent, QWidget* parent);

    int Percent() const { return FModel.Percent(); }

    QSpinBox* spnzoom;
    QSlider* tbrZoom;

private:
    void showModel();

    TZoomModel FModel;
};

// The zoom chosen, or -1 after Cancel. The dialog is modal to and stays above the window that
// asks, which may be an image window.
int AskCustomZoom(int percent, QWidget* window);
