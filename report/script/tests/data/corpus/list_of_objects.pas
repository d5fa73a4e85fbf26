function F: String;
var
  L: TList;
  A: TStringList;
  B: TStringList;
  S: TStringList;
begin
  L := TList.Create;
  A := TStringList.Create;
  A.Add('first');
  B := TStringList.Create;
  B.Add('second');
  L.Add(A);
  L.Add(B);
  L.Exchange(0, 1);
  S := TStringList(L[0]);
  Result := S[0] + ' ' + IntToStr(L.IndexOf(A));
  B.Free;
  if L.Items[0] = nil then
    Result := Result + ' freed';
  Result := Result + ' ' + IntToStr(L.Count);
end;
