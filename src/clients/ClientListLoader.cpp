#include "clients/ClientListLoader.h"

#include "clients/ClientListModel.h"
#include "clients/ClientListReader.h"
#include "store/StoreError.h"

#include <algorithm>

ClientListLoader::ClientListLoader(ClientListModel* model, QObject* parent)
    : QObject(parent), m_model(model), m_sliceRows(ClientListReader::DefaultSliceRows)
{
    // A zero interval: the next slice is read once the events waiting now are handled.
    m_next.setSingleShot(true);
    m_next.setInterval(0);
    connect(&m_next, &QTimer::timeout, this, &ClientListLoader::readNextSlice);
}

ClientListLoader::~ClientListLoader() = default;

void ClientListLoader::setSliceRows(int rows)
{
    m_sliceRows = std::max(1, rows);
}

void ClientListLoader::start(bool byCompany, const QString& group, const SortClause& sort)
{
    stop();
    m_reader = std::make_unique<ClientListReader>(byCompany, group, sort, m_sliceRows);
    m_shown = false;
    m_pending = ClientListRows(static_cast<int>(ClientListModel::clientColumns().size()), true);
    try {
        readSlice();
    } catch (const StoreError&) {
        stop();
        throw;
    }
}

void ClientListLoader::stop()
{
    m_next.stop();
    m_reader.reset();
    m_pending = ClientListRows();
}

void ClientListLoader::readNextSlice()
{
    try {
        readSlice();
    } catch (const StoreError& error) {
        stop();
        emit failed(error.message());
    }
}

void ClientListLoader::readSlice()
{
    if (!m_reader)
        return;
    ClientListRows rows = m_reader->next();
    const bool last = m_reader->atEnd();
    if (!m_shown) {
        if (m_reader->readsInOrder() || last) {
            // Room for the whole list at once: grown as it comes, the storage would at times
            // hold twice what the list needs.
            rows.reserve(m_reader->rowsExpected());
            m_model->show(ClientListModel::clientColumns(), std::move(rows));
            m_shown = true;
        }
    } else {
        // The view lays out all its rows again for every addition: adding as many rows as are
        // shown at a time keeps that work in proportion to the list's length.
        m_pending.append(rows);
        if (last || m_pending.rowCount() >= m_model->rowCount()) {
            m_model->append(m_pending);
            m_pending = ClientListRows(m_pending.width(), m_pending.isTagged());
        }
    }
    if (last) {
        m_reader.reset();
        emit finished();
        return;
    }
    m_next.start();
}
