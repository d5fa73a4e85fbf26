function F: Boolean;
var a, b, c: Integer;
begin
  a := 1; b := 2; c := 3;
  Result := a = b + c;
end;
