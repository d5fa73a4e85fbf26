function F: Variant;
var v: Variant;
begin
  v := True;
  Result := not v;
end;
