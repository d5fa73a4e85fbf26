function F: String;
var
  L: TStringList;
  M: TStringList;
begin
  L := TStringList.Create;
  L.Text := 'Package=bash';
  L.Add('Section=shells');
  L.Add('Priority=required');
  L.Values['Section'] := 'utils';
  L.Insert(0, 'Essential=yes');
  L.Exchange(1, 2);
  L.Delete(3);
  M := TStringList.Create;
  M.AddStrings(L);
  Result := IntToStr(M.Count) + ' ' + M.Names[1] + ' ' + M.Values['Package'] + ' ' +
    IntToStr(M.IndexOfName('Package')) + ' ' + M.Strings[0];
end;
