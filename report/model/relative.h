#pragma once

#include "report/model/communicator.h"

#include <QPoint>

#include <vector>

/// A communicator in the report tree: one parent and an ordered list of children, streamed
/// as nested components, so a template stores a report as one tree. The tree is separate
/// from ownership: the owner (QObject parent) is the form or data module, or the tree's root
/// when the root has none; a relative frees its children when it is freed.
///
/// Invariant: an object is in its parent's child list exactly when its Parent is that parent.
///
/// Streaming: children are written in list order (then GetExtraChildren). A child read from
/// a stream is adopted with SetParent; its streamed Position is kept, and once the whole
/// stream is read a parent with OrderedChildren moves its children to their positions.
class TppRelative : public TppCommunicator {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TppRelative(TComponent* AOwner = nullptr);
    ~TppRelative() override;

    // Virtual operations in the order subclasses override them.
    /// Top-level objects (pipelines, the producer) also stream their design position.
    virtual bool IsTopLevel() const { return false; }
    /// Runs after a property change has travelled up the tree; empty here.
    virtual void PropertyChanged() {}
    /// Leaves the old parent and joins aParent (appended by its AddChild). Nothing happens
    /// when the class has no parent (HasParent false).
    virtual void SetParent(TppRelative* aParent);
    virtual int GetAllChildCount() const { return ChildCount(); }
    virtual TppRelative* GetAllChild(int aIndex) const { return Children(aIndex); }
    /// Streams children that are not in the child list; empty here.
    virtual void GetExtraChildren(const std::function<void(const stream::Component&)>& proc) const { Q_UNUSED(proc); }
    /// Appends; subclasses may keep children sorted by kind.
    virtual void AddChild(TppRelative* aChild);
    virtual void InsertChild(int aIndex, TppRelative* aChild);
    virtual int IndexOfChild(const TppRelative* aChild) const;
    /// Removes the child; answers its former index, -1 when absent.
    virtual int RemoveChild(TppRelative* aChild);
    /// Takes over another relative's parent and children (its own children are freed).
    virtual void Transfer(TPersistent* aSource);
    /// Whether the class lives in the tree at all; True for relatives.
    virtual bool HasParent() const { return true; }

    int ChildCount() const { return int(m_children.size()); }
    TppRelative* Children(int aIndex) const;
    TppRelative* Parent() const { return m_parent; }
    /// The index in the parent's child list; -1 without a parent.
    int Index() const { return m_parent ? m_parent->IndexOfChild(this) : -1; }
    int Position() const { return Index(); }
    /// While reading from a stream only the value is remembered; otherwise moves the object.
    void SetPosition(int aPosition);
    /// The position read from a stream, -1 until one was read.
    int StreamedPosition() const { return m_streamedPosition; }
    /// Moves the object to aIndex in its parent, clamped to the parent's children.
    void MoveToPosition(int aIndex);
    int ChildType() const { return m_childType; }
    /// Stores the kind and files the object again in its parent (a sorting parent moves it).
    void SetChildType(int aChildType);
    bool FreeingChildren() const { return m_freeingChildren; }
    bool OrderedChildren() const { return m_orderedChildren; }
    void SetOrderedChildren(bool v) { m_orderedChildren = v; }
    /// Design position of top-level objects (streamed as "Left" and "Top").
    QPoint DesignInfo() const { return m_designInfo; }
    void SetDesignInfo(const QPoint& p) { m_designInfo = p; }

    /// The parent's PropertyChange first, then this object's PropertyChanged.
    void PropertyChange() override;
    /// Children with the same owner move with this object.
    void ChangeOwner(TComponent* aNewOwner) override;
    TppCommunicator* ParentCommunicator() const override { return m_parent; }

    // Component stream.
    const stream::PropertyList& StreamProperties() const override;
    void DefineProperties(stream::Filer& filer) override;
    void GetStreamChildren(const std::function<void(const stream::Component&)>& proc) const override;
    /// Takes a relative read from the stream: owned by this object's owner (by this object
    /// without one) and made a child with SetParent.
    bool AdoptStreamChild(std::unique_ptr<stream::Component>& child) override;
    /// Restores the children's streamed positions, then the communicator's Loaded.
    void Loaded() override;

protected:
    /// Leaves the old parent and joins aParent whatever HasParent answers (a top-level
    /// object that a data view adopts).
    void JoinParent(TppRelative* aParent);
    /// Frees the children from the last to the first.
    void FreeChildren();
    /// Moves the children to their streamed positions (OrderedChildren only).
    void RestoreChildPositions();

private:
    std::vector<TppRelative*> m_children;
    TppRelative* m_parent = nullptr;
    int m_childType = 0;
    bool m_freeingChildren = false;
    bool m_orderedChildren = false;
    int m_streamedPosition = -1;
    QPoint m_designInfo;
};
