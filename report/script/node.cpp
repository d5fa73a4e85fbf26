#include "report/script/node.h"

#include "report/script/parser.h"
#include "report/script/program.h"
#include "report/script/values.h"

#include <algorithm>

TraCommunicator::~TraCommunicator() {
    if (!m_notifyList)
        return;
    // Tell every partner, the last first; each drops this communicator from its list.
    const std::vector<TraCommunicator*> partners = *m_notifyList;
    for (auto it = partners.rbegin(); it != partners.rend(); ++it)
        (*it)->Notify(this, script::kOpFreeing);
    m_notifyList.reset();
}

int TraCommunicator::AddNotify(TraCommunicator* aPartner) {
    if (!aPartner || aPartner == this)
        return -1;
    if (!m_notifyList)
        m_notifyList = std::make_unique<std::vector<TraCommunicator*>>();
    auto it = std::find(m_notifyList->begin(), m_notifyList->end(), aPartner);
    if (it != m_notifyList->end())
        return int(it - m_notifyList->begin());
    m_notifyList->push_back(aPartner);
    aPartner->AddNotify(this);
    return int(std::find(m_notifyList->begin(), m_notifyList->end(), aPartner) - m_notifyList->begin());
}

void TraCommunicator::RemoveNotify(TraCommunicator* aPartner) {
    if (!m_notifyList)
        return;
    auto it = std::find(m_notifyList->begin(), m_notifyList->end(), aPartner);
    if (it == m_notifyList->end())
        return;
    m_notifyList->erase(it);
    if (m_notifyList->empty())
        m_notifyList.reset();
    aPartner->RemoveNotify(this);
}

void TraCommunicator::SendNotify(TraCommunicator* aSender, int aOperation) {
    if (!m_notifyList)
        return;
    const std::vector<TraCommunicator*> partners = *m_notifyList;
    for (auto it = partners.rbegin(); it != partners.rend(); ++it)
        (*it)->Notify(aSender, aOperation);
}

void TraCommunicator::Notify(TraCommunicator* aSender, int aOperation) {
    if (OnNotify)
        OnNotify(this, aSender, aOperation);
    if (aOperation == script::kOpFreeing)
        dropPartner(aSender);
}

void TraCommunicator::dropPartner(TraCommunicator* aPartner) {
    if (!m_notifyList)
        return;
    auto it = std::find(m_notifyList->begin(), m_notifyList->end(), aPartner);
    if (it != m_notifyList->end())
        m_notifyList->erase(it);
    if (m_notifyList->empty())
        m_notifyList.reset();
}

TraRelative::~TraRelative() {
    FreeChildren();
}

void TraRelative::SetChildType(int aChildType) {
    if (!m_parent) {
        m_childType = aChildType;
        return;
    }
    TraRelative* parent = m_parent;
    std::unique_ptr<TraRelative> self = parent->Take(this);
    m_childType = aChildType;
    parent->adopt(std::move(self));
}

int TraRelative::IndexOfChild(const TraRelative* aChild) const {
    auto it = std::find(m_children.begin(), m_children.end(), aChild);
    return it == m_children.end() ? -1 : int(it - m_children.begin());
}

void TraRelative::adopt(std::unique_ptr<TraRelative> aChild) {
    if (!aChild)
        return;
    TraRelative* raw = aChild.get();
    raw->m_parent = this;
    m_owned.push_back(std::move(aChild));
    AddChild(raw);
}

std::unique_ptr<TraRelative> TraRelative::Take(TraRelative* aChild) {
    auto it = std::find_if(m_owned.begin(), m_owned.end(), [aChild](const auto& p) { return p.get() == aChild; });
    if (it == m_owned.end())
        return nullptr;
    RemoveChild(aChild);
    std::unique_ptr<TraRelative> child = std::move(*it);
    m_owned.erase(it);
    child->m_parent = nullptr;
    return child;
}

void TraRelative::FreeChildren() {
    m_freeingChildren = true;
    while (!m_owned.empty()) {
        std::unique_ptr<TraRelative> child = std::move(m_owned.back());
        m_owned.pop_back();
        auto plain = std::find(m_children.begin(), m_children.end(), child.get());
        if (plain != m_children.end())
            m_children.erase(plain);
        child->m_parent = nullptr;
        child.reset();
    }
    m_children.clear();
    m_freeingChildren = false;
}

void TraRelative::AddChild(TraRelative* aChild) {
    m_children.push_back(aChild);
}

int TraRelative::RemoveChild(TraRelative* aChild) {
    auto it = std::find(m_children.begin(), m_children.end(), aChild);
    if (it == m_children.end())
        return -1;
    const int index = int(it - m_children.begin());
    m_children.erase(it);
    return index;
}

void TraRelative::InsertPlain(int aIndex, TraRelative* aChild) {
    auto it = std::find(m_children.begin(), m_children.end(), aChild);
    if (it != m_children.end())
        m_children.erase(it);
    aIndex = std::clamp(aIndex, 0, int(m_children.size()));
    m_children.insert(m_children.begin() + aIndex, aChild);
}

TraProgram* FindEnclosingProgram(const TraRelative* aNode) {
    for (TraRelative* p = aNode ? aNode->Parent() : nullptr; p; p = p->Parent()) {
        if (auto* program = dynamic_cast<TraProgram*>(p))
            return program;
        if (!dynamic_cast<TraCompilable*>(p))
            return nullptr;
    }
    return nullptr;
}

void TraStatement::SetResultValue(std::unique_ptr<TraValue> aValue) {
    FreeResultValue();
    if (!aValue)
        return;
    aValue->SetChildType(10);
    aValue->IsReference = true;
    Add(std::move(aValue));
}

void TraStatement::FreeResultValue() {
    if (m_resultValue)
        Take(m_resultValue).reset();
}

void TraStatement::SetPosition(const TraToken* aToken) {
    if (!aToken)
        return;
    LineNo = aToken->LineNo;
    CharPos = aToken->CharPos;
}

void TraStatement::AddChild(TraRelative* aChild) {
    if (aChild->ChildType() == 10) {
        if (auto* value = dynamic_cast<TraValue*>(aChild)) {
            m_resultValue = value;
            return;
        }
    }
    TraCompilable::AddChild(aChild);
}

int TraStatement::RemoveChild(TraRelative* aChild) {
    if (aChild && aChild == m_resultValue) {
        m_resultValue = nullptr;
        return 0;
    }
    return TraCompilable::RemoveChild(aChild);
}

void TraValue::Compile(TraProgram&, TraToken*) {}

TraValue* TraValue::Execute() {
    return Evaluate();
}

QString TraValue::GetText() const {
    return ClassName();
}

void TraValue::CopyFrom(const TraValue& aSource) {
    SetChildType(aSource.ChildType());
    if (aSource.ResultValue()) {
        std::unique_ptr<TraValue> copy = aSource.ResultValue()->CreateSame();
        copy->CopyFrom(*aSource.ResultValue());
        SetResultValue(std::move(copy));
    }
    IsPublished = aSource.IsPublished;
    IsReadOnly = aSource.IsReadOnly;
    IsReference = aSource.IsReference;
}

TraValue* TraValue::Operate(TraValue*, TraTokenType) {
    return nullptr;
}

TraValue* TraValue::Compare(TraValue*, TraTokenType) {
    return nullptr;
}

bool TraValue::AssignValue(TraValue* aSource) {
    const bool taken = ConvertFrom(aSource);
    SendNotify(this, script::kOpValueAssigned);
    return taken;
}

bool TraValue::ConvertFrom(TraValue*) {
    return false;
}

TraVariableValue::TraVariableValue(const QString& aName, std::unique_ptr<TraValue> aValue) : VarName(aName) {
    IsReference = true;
    SetValue(std::move(aValue));
}

void TraVariableValue::SetValue(std::unique_ptr<TraValue> aValue) {
    if (m_value)
        Take(m_value).reset();
    if (!aValue)
        return;
    aValue->IsReference = true;
    if (aValue->ChildType() == 10)
        aValue->SetChildType(0);
    Add(std::move(aValue));
}

QString TraVariableValue::GetText() const {
    return VarName + QStringLiteral(": ") + (m_value ? m_value->GetText() : QString());
}

void TraVariableValue::CopyFrom(const TraValue& aSource) {
    TraValue::CopyFrom(aSource);
    if (auto* other = dynamic_cast<const TraVariableValue*>(&aSource)) {
        VarName = other->VarName;
        if (other->Value()) {
            std::unique_ptr<TraValue> copy = other->Value()->CreateSame();
            copy->CopyFrom(*other->Value());
            SetValue(std::move(copy));
        }
    }
}

TraValue* TraVariableValue::Operate(TraValue* aOther, TraTokenType aOperator) {
    return m_value ? m_value->Operate(aOther, aOperator) : nullptr;
}

TraValue* TraVariableValue::Compare(TraValue* aOther, TraTokenType aOperator) {
    return m_value ? m_value->Compare(aOther, aOperator) : nullptr;
}

TraDataType TraVariableValue::DataType() const {
    return m_value ? m_value->DataType() : TraDataType::daUnknown;
}

void* TraVariableValue::ValueAddress() {
    return m_value ? m_value->ValueAddress() : nullptr;
}

bool TraVariableValue::NeedsEvaluation() const {
    return m_value && m_value->NeedsEvaluation();
}

bool TraVariableValue::AssignValue(TraValue* aSource) {
    if (IsReadOnly || !m_value)
        return false;
    return m_value->AssignValue(aSource);
}

void TraVariableValue::Notify(TraCommunicator* aSender, int aOperation) {
    TraValue::Notify(aSender, aOperation);
    if (aOperation == script::kOpValueAssigned && m_value && aSender != m_value) {
        if (auto* value = dynamic_cast<TraValue*>(aSender))
            m_value->AssignValue(value);
    }
}

void TraVariableValue::AddChild(TraRelative* aChild) {
    if (aChild->ChildType() == 10) {
        TraValue::AddChild(aChild);
        return;
    }
    if (auto* value = dynamic_cast<TraValue*>(aChild)) {
        m_value = value;
        return;
    }
    TraValue::AddChild(aChild);
}

int TraVariableValue::RemoveChild(TraRelative* aChild) {
    if (aChild == ResultValue())
        return TraValue::RemoveChild(aChild);
    if (aChild && aChild == m_value) {
        m_value = nullptr;
        return 0;
    }
    return TraValue::RemoveChild(aChild);
}

TraThrowAwayBin::~TraThrowAwayBin() {
    Empty();
}

TraValue* TraThrowAwayBin::Add(std::unique_ptr<TraValue> aValue) {
    TraValue* raw = aValue.get();
    if (!raw || Contains(raw))
        return raw;
    raw->m_throwAway = true;
    m_values.push_back(std::move(aValue));
    return raw;
}

std::unique_ptr<TraValue> TraThrowAwayBin::Remove(TraValue* aValue) {
    auto it = std::find_if(m_values.begin(), m_values.end(), [aValue](const auto& p) { return p.get() == aValue; });
    if (it == m_values.end())
        return nullptr;
    std::unique_ptr<TraValue> value = std::move(*it);
    m_values.erase(it);
    value->m_throwAway = false;
    return value;
}

bool TraThrowAwayBin::Contains(const TraValue* aValue) const {
    return std::any_of(m_values.begin(), m_values.end(), [aValue](const auto& p) { return p.get() == aValue; });
}

void TraThrowAwayBin::EmptyTo(int aMark) {
    while (int(m_values.size()) > aMark) {
        std::unique_ptr<TraValue> value = std::move(m_values.back());
        m_values.pop_back();
        value.reset();
    }
}

TraThrowAwayBin& GetThrowAwayBin() {
    static TraThrowAwayBin bin;
    return bin;
}

bool CreateValueOfType(TraDataType aDataType, std::unique_ptr<TraValue>& aValue) {
    aValue.reset();
    switch (aDataType) {
    case TraDataType::daInteger:
        aValue = std::make_unique<TraIntegerValue>(0);
        break;
    case TraDataType::daSingle:
        aValue = std::make_unique<TraSingleValue>(0.0f);
        break;
    case TraDataType::daDouble:
        aValue = std::make_unique<TraDoubleValue>(0.0);
        break;
    case TraDataType::daExtended:
        aValue = std::make_unique<TraExtendedValue>(0.0L);
        break;
    case TraDataType::daCurrency:
        aValue = std::make_unique<TraCurrencyValue>(qint64(0));
        break;
    case TraDataType::daChar:
        aValue = std::make_unique<TraCharValue>(U' ');
        break;
    case TraDataType::daString:
        aValue = std::make_unique<TraStringValue>(QString());
        break;
    case TraDataType::daDateTime:
        aValue = std::make_unique<TraDateTimeValue>(script::NowDays());
        break;
    case TraDataType::daDate:
        aValue = std::make_unique<TraDateValue>(script::TodayDays());
        break;
    case TraDataType::daTime:
        aValue = std::make_unique<TraTimeValue>(script::TimeOfDayDays());
        break;
    case TraDataType::daBoolean:
        aValue = std::make_unique<TraBooleanValue>(false);
        break;
    case TraDataType::daVariant:
        aValue = std::make_unique<TraVariantValue>(QVariant(0));
        break;
    case TraDataType::daObject:
    case TraDataType::daClass:
        aValue = std::make_unique<TraClassValue>();
        break;
    case TraDataType::daEnum:
        aValue = std::make_unique<TraEnumValue>(QString(), 0);
        break;
    case TraDataType::daUnknown:
    case TraDataType::daMethod:
        return false;
    }
    return aValue != nullptr;
}
