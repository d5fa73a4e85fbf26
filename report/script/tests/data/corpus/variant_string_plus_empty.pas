function F: Variant;
var v, e: Variant;
begin
  v := 'a';
  e := Null;
  Result := v + e;
end;
