function F: Variant;
var v: Variant;
begin
  v := 10;
  Result := v - Null;
end;
