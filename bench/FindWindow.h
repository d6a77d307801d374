#pragma once

#include <QSet>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

class frmFindInfo;
class QTreeWidget;
class QWidget;

// Types text as the keyboard sends it, also letters beyond ASCII.
void typeText(QWidget* widget, const QString& text);

// The document search dialog as a person drives it, opened without a current client (so it
// searches every client's documents).
class FindWindow
{
public:
    FindWindow();
    ~FindWindow();
    FindWindow(const FindWindow&) = delete;
    FindWindow& operator=(const FindWindow&) = delete;

    void showAndWait();
    // Types `text`, picks a summary or a content search and clicks Find; returns when the click
    // has been handled (the content search asks first; the scripted answer is Yes).
    void find(const QString& text, bool content) const;
    // The same in two steps: the text and options, then the click on Find.
    void prepare(const QString& text, bool content) const;
    void clickFind() const;
    // Clicks Find on the prepared search `samples` times, each after `prepare`, and checks each
    // time that the documents found (by name) are `expected`; the seconds each click took.
    std::vector<double> timeSearches(int samples, const QSet<QString>& expected,
                                     const std::function<void()>& prepare = {}) const;

    QTreeWidget* results() const { return m_results; }
    // The texts of one column of the results ("File Id", "File Name", "File Version").
    QStringList column(int column) const;
    // A double click on a result.
    void open(int row) const;

private:
    std::unique_ptr<frmFindInfo> m_window;
    QTreeWidget* m_results = nullptr;
};
